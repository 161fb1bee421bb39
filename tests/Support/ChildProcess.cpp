#include "tests/Support/ChildProcess.hpp"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <poll.h>
#include <sys/syscall.h>

extern char** environ;

namespace testsupport {

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& extraEnvironment) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment(extraEnvironment);
    for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
    std::vector<char*> envp;
    for (const auto& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) == 0) pid_ = pid;
}

ChildProcess::~ChildProcess() {
    if (pid_ <= 0 || reaped_) return;
    // A bounded wait for the exit; a child that ignores SIGTERM is killed.
    const int exited = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    kill(pid_, SIGTERM);
    if (exited >= 0) {
        pollfd descriptor{exited, POLLIN, 0};
        if (poll(&descriptor, 1, 3000) <= 0) kill(pid_, SIGKILL);
        close(exited);
    }
    waitpid(pid_, nullptr, 0);
}

bool ChildProcess::running() {
    if (pid_ <= 0 || reaped_) return false;
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) reaped_ = true;
    return !reaped_;
}

} // namespace testsupport
