#pragma once
// A private session bus for one test: a dbus-daemon of its own with its own
// configuration (its socket in a private folder, and none of the services
// the machine installs for activation, so that no installed program is
// started behind the test's back), reachable through DBUS_SESSION_BUS_ADDRESS
// while it lives, stopped at the end.

#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <sys/types.h>

#include <string>

namespace testsupport {

class SessionBusTestServer {
public:
    SessionBusTestServer();
    ~SessionBusTestServer();
    SessionBusTestServer(const SessionBusTestServer&) = delete;
    SessionBusTestServer& operator=(const SessionBusTestServer&) = delete;

    // Empty when the bus runs; otherwise why it could not start (for REQUIRE_TEST_HOST).
    const std::string& failure() const { return failure_; }
    bool running() const { return failure_.empty(); }
    const std::string& address() const { return address_; }

private:
    void start();

    TemporaryDirectory folder_;
    ScopedEnvironment environment_;
    pid_t daemon_ = -1;
    std::string address_;
    std::string failure_;
};

} // namespace testsupport
