// The rule every test that hosts a program of its own relies on: a host that
// could not start fails the test under CI and is only skipped elsewhere.

#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TestHost.hpp"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

void requireMissingHost() {
    REQUIRE_TEST_HOST(false, "Xvfb did not start");
}

TEST(TestHost, AHostThatDidNotStartFailsTheTestUnderCI) {
    testsupport::ScopedEnvironment environment;
    environment.set("CI", "true");
    EXPECT_FATAL_FAILURE(requireMissingHost(), "test host did not start: Xvfb did not start");
}

TEST(TestHost, OnlyANonEmptyCIVariableCounts) {
    testsupport::ScopedEnvironment environment;
    environment.unset("CI");
    EXPECT_FALSE(testsupport::testHostsMustStart());
    environment.set("CI", "");
    EXPECT_FALSE(testsupport::testHostsMustStart());
    environment.set("CI", "1");
    EXPECT_TRUE(testsupport::testHostsMustStart());
}

} // namespace
