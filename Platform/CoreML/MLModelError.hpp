#pragma once
// The one error type of the model runtime. Its kind tells callers apart the
// cases they react to differently: a model folder that is missing, one that is
// damaged (worth deleting and fetching again), and a sound model that simply has
// no runtime on this platform (never a reason to delete anything).

#include "Platform/Core/Error.hpp"

#include <filesystem>
#include <string>

namespace platform::coreml {

enum class MLModelErrorKind {
    generic,        // bad arguments, e.g. an invalid array shape
    featureType,    // an input or output feature is missing or of the wrong kind or shape
    io,             // a file could not be read or written
    modelNotFound,  // nothing exists at the model path
    damagedModel,   // the model folder is incomplete or is no folder
    noModelRuntime, // the model is intact but nothing on this platform can run or compile it
};

class MLModelError : public ErrorOf<MLModelErrorKind> {
public:
    using ErrorOf::ErrorOf;

    static MLModelError modelNotFound(const std::filesystem::path& path);
    static MLModelError damagedModel(const std::filesystem::path& path, const std::string& reason);
    static MLModelError noModelRuntime(const std::filesystem::path& path);
    static MLModelError noModelCompiler(const std::filesystem::path& path);
    // A damaged model whose program asks for more memory than a tensor may
    // take. The files may be exactly as published, so fetching them again
    // would bring the same failure: cache recovery can tell it apart by
    // exceedsMemoryLimit().
    static MLModelError memoryLimitExceeded(const std::filesystem::path& path, const std::string& reason);

    bool exceedsMemoryLimit() const { return exceedsMemoryLimit_; }

private:
    bool exceedsMemoryLimit_ = false;
};

} // namespace platform::coreml
