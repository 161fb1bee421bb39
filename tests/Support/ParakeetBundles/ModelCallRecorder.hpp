#pragma once
// Counts and times the predictions of chosen program bundles and notes the
// shapes of their inputs, without changing what they compute: each watched
// folder loads through a backend that hands every call to the interpreter's
// own backend. Registrations end with the recorder; models loaded meanwhile
// keep recording into it, so it must outlive them.

#include "Platform/CoreML/MLModelBackendRegistry.hpp"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace testsupport::parakeet {

class ModelCallRecorder {
public:
    struct Calls {
        std::int64_t count = 0;
        std::chrono::nanoseconds time{0};
        // Every distinct shape fed to each input.
        std::map<std::string, std::set<std::vector<std::int64_t>>> inputShapes;
    };

    // Records the bundle at `folder` under `label` once loaded.
    void watch(const std::filesystem::path& folder, const std::string& label);

    Calls calls(const std::string& label) const;
    void reset();

private:
    struct Log {
        mutable std::mutex mutex;
        Calls calls;
    };

    std::map<std::string, std::shared_ptr<Log>> logs_;
    std::vector<platform::coreml::MLModelBackendRegistry::Registration> registrations_;
};

} // namespace testsupport::parakeet
