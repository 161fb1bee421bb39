#pragma once
// What a test does when a host it starts for itself (an X server, a sound
// server, a session bus, a Secret Service) cannot be brought up. On a
// developer's machine that lacks the program the test is skipped with the
// reason; with CI set it fails, so that a setup that lost a package cannot
// stay green by skipping.

#include <gtest/gtest.h>

namespace testsupport {

// True when the environment variable CI is set to a non-empty value.
bool testHostsMustStart();

} // namespace testsupport

// Ends the test (or its SetUp) unless `started`: a failure under CI, a skip
// elsewhere; `failure` says why the host is missing.
#define REQUIRE_TEST_HOST(started, failure)                                  \
    do {                                                                     \
        if (!(started)) {                                                    \
            if (::testsupport::testHostsMustStart()) {                       \
                GTEST_FAIL() << "test host did not start: " << (failure);    \
            } else {                                                         \
                GTEST_SKIP() << (failure);                                   \
            }                                                                \
        }                                                                    \
    } while (false)
