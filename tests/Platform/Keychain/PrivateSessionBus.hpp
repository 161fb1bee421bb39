#pragma once
// A private D-Bus session daemon for one test, named in
// DBUS_SESSION_BUS_ADDRESS while it lives and stopped at its end.

#include "tests/Support/ScopedEnvironment.hpp"

#include <string>
#include <sys/types.h>

namespace testsupport {

class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool started() const { return pid_ > 0; }
    const std::string& address() const { return address_; }

private:
    ScopedEnvironment environment_;
    std::string address_;
    pid_t pid_ = 0;
};

} // namespace testsupport
