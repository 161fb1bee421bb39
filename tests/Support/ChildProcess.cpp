#include "tests/Support/ChildProcess.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>

extern char** environ;

namespace testsupport {
namespace {

bool isUnset(std::string_view entry, const std::vector<std::string>& unset) {
    const auto name = entry.substr(0, entry.find('='));
    return std::find(unset.begin(), unset.end(), name) != unset.end();
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& extraEnvironment)
    : ChildProcess(arguments, Options{extraEnvironment, {}, std::nullopt}) {}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const Options& options) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment(options.environment);
    for (char** entry = environ; *entry; ++entry) {
        if (!isUnset(*entry, options.unset)) environment.emplace_back(*entry);
    }
    std::vector<char*> envp;
    for (const auto& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.output) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.output->c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
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
    if (waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
    return !reaped_;
}

void ChildProcess::signal(int number) {
    if (pid_ > 0 && !reaped_) kill(pid_, number);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit) {
    if (pid_ <= 0) return std::nullopt;
    if (!reaped_) {
        const int exited = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
        if (exited < 0) return std::nullopt;
        pollfd descriptor{exited, POLLIN, 0};
        const bool ended = poll(&descriptor, 1, static_cast<int>(limit.count())) > 0;
        close(exited);
        if (!ended) return std::nullopt;
        waitpid(pid_, &status_, 0);
        reaped_ = true;
    }
    return status_;
}

} // namespace testsupport
