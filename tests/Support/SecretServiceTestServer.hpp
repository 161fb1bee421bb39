#pragma once
// A real Secret Service for one test: a private session bus with a keyring
// daemon of its own on it (its keyrings in a private folder, the login
// keyring created and unlocked with a known password), so that clients of the
// process reach it through DBUS_SESSION_BUS_ADDRESS. Both are stopped at the
// end.

#include "tests/Support/SessionBusTestServer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <sys/types.h>

#include <string>

namespace testsupport {

class SecretServiceTestServer {
public:
    static constexpr const char* unlockPassword = "ostrel-test-keyring";

    SecretServiceTestServer();
    ~SecretServiceTestServer();
    SecretServiceTestServer(const SecretServiceTestServer&) = delete;
    SecretServiceTestServer& operator=(const SecretServiceTestServer&) = delete;

    // Empty when the service answers; otherwise why it could not start (for REQUIRE_TEST_HOST).
    const std::string& failure() const { return failure_; }
    bool running() const { return failure_.empty(); }
    // The keyring daemon, for tests that stop and continue it.
    pid_t daemonProcess() const { return daemon_; }

private:
    void startDaemon();
    bool waitUntilServing();
    std::string daemonLog() const;

    SessionBusTestServer bus_;
    TemporaryDirectory home_;
    pid_t daemon_ = -1;
    std::string failure_;
};

} // namespace testsupport
