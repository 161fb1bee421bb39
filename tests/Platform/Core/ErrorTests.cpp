#include "Platform/Core/Error.hpp"

#include <gtest/gtest.h>

namespace {

TEST(DescribeError, GivesTheErrorsTextOrTheFallback) {
    const auto caught = [](auto thrown) {
        try {
            throw thrown;
        } catch (...) {
            return std::current_exception();
        }
    };
    EXPECT_EQ(platform::describeError(caught(platform::Error("Ungültige Feedback-URL"))), "Ungültige Feedback-URL");
    EXPECT_EQ(platform::describeError(caught(std::out_of_range("index 3"))), "index 3");
    EXPECT_EQ(platform::describeError(caught(42)), "Unknown error");
    EXPECT_EQ(platform::describeError(caught(42), "unknown error"), "unknown error");
    // No error at all is not undefined behaviour but the fallback.
    EXPECT_EQ(platform::describeError(nullptr), "Unknown error");
}

} // namespace
