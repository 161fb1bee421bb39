#pragma once
// One Secret Service for every test of the process that needs a real one.
// The session-bus connection the keychain library opens is kept for the
// process, so a second service on another bus could not be reached; the
// first one started serves them all and ends with the process.

#include "tests/Support/SecretServiceTestServer.hpp"

namespace ostrelvirorez::testing {

inline testsupport::SecretServiceTestServer& sharedSecretService() {
    static testsupport::SecretServiceTestServer service;
    return service;
}

} // namespace ostrelvirorez::testing
