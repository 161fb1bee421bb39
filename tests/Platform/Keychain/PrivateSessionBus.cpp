#include "tests/Platform/Keychain/PrivateSessionBus.hpp"

#include "Platform/Files/CommandOutput.hpp"

#include <csignal>
#include <sstream>
#include <sys/wait.h>

namespace testsupport {

PrivateSessionBus::PrivateSessionBus() {
    const auto output = platform::files::commandOutput(
        {"dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1", "--nopidfile"});
    if (!output) return;
    std::istringstream lines(*output);
    std::string pid;
    if (!std::getline(lines, address_) || !std::getline(lines, pid) || address_.empty()) return;
    pid_ = static_cast<pid_t>(std::stol(pid));
    environment_.set("DBUS_SESSION_BUS_ADDRESS", address_);
}

PrivateSessionBus::~PrivateSessionBus() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
}

} // namespace testsupport
