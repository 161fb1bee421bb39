#pragma once
// A program a test starts and owns: terminated and reaped when the owner ends.

#include <string>
#include <vector>

namespace testsupport {

class ChildProcess {
public:
    // Starts `arguments[0]` (searched on PATH) with the rest as arguments and
    // `extraEnvironment` ("NAME=value") ahead of this process's environment.
    // Descriptors this process did not mark close-on-exec are inherited.
    // running() is false when the start failed.
    explicit ChildProcess(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& extraEnvironment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();
    int pid() const { return pid_; }

private:
    int pid_ = -1;
    bool reaped_ = false;
};

} // namespace testsupport
