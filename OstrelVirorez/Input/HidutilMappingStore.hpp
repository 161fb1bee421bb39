#pragma once
// The user key mapping as the HID utility program reports and sets it for
// every matched keyboard, read and written through a process runner.

#include "OstrelVirorez/Input/KeyMappingStore.hpp"

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

// Runs a program with arguments and collects its standard output.
class ProcessRunner {
public:
    struct Result {
        int exitStatus = 0;
        std::string standardOutput;
    };

    virtual ~ProcessRunner() = default;
    virtual bool isExecutable(const std::string& path) const = 0;
    // Absent when the program could not be launched; `failure` then says why.
    virtual std::optional<Result> run(const std::string& path, const std::vector<std::string>& arguments,
                                      std::string& failure) = 0;
};

class HidutilMappingStore final : public KeyMappingStore {
public:
    static constexpr const char* utilityPath = "/usr/bin/hidutil";
    static constexpr const char* keyboardMatching = "{\"PrimaryUsagePage\":1,\"PrimaryUsage\":6}";

    explicit HidutilMappingStore(ProcessRunner& runner) : runner_(runner) {}

    // Repeated entries (the same pair from several keyboards) count once.
    std::optional<std::vector<KeyMappingEntry>> currentMapping() override;
    bool writeMapping(const std::vector<KeyMappingEntry>& entries) override;

    static std::vector<KeyMappingEntry> parseMapping(const std::string& output);
    static std::optional<std::uint64_t> parseValue(const std::string& line);

private:
    std::optional<std::string> runHidutil(const std::vector<std::string>& arguments);

    ProcessRunner& runner_;
};

} // namespace ostrelvirorez
