#pragma once
// A program a test starts and owns: terminated and reaped when the owner ends.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ChildProcess {
public:
    struct Options {
        // "NAME=value", ahead of this process's environment.
        std::vector<std::string> environment;
        // Variables of this process's environment the program does not get.
        std::vector<std::string> unset;
        // When set, the program's standard output and error go to this file.
        std::optional<std::filesystem::path> output;
    };

    // Starts `arguments[0]` (searched on PATH) with the rest as arguments and
    // `extraEnvironment` ("NAME=value") ahead of this process's environment.
    // Descriptors this process did not mark close-on-exec are inherited.
    // running() is false when the start failed.
    explicit ChildProcess(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& extraEnvironment = {});
    ChildProcess(const std::vector<std::string>& arguments, const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();
    int pid() const { return pid_; }

    // Sends the signal while the program has not been reaped.
    void signal(int number);
    // Waits at most `limit` for the program to end; its wait status
    // (for WIFEXITED and the like), or nothing while it still runs.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);

private:
    int pid_ = -1;
    bool reaped_ = false;
    int status_ = 0;
};

} // namespace testsupport
