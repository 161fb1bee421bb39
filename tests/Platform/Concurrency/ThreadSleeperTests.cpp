#include "Platform/Concurrency/ThreadSleeper.hpp"

#include <gtest/gtest.h>

#include <future>
#include <stop_token>

namespace {

using namespace std::chrono_literals;
using platform::SleepResult;
using platform::ThreadSleeper;

TEST(ThreadSleeper, ShortSleepCompletes) {
    EXPECT_EQ(ThreadSleeper::shared().sleepFor(1ms), SleepResult::completed);
    EXPECT_EQ(ThreadSleeper::shared().sleepFor(-1s), SleepResult::completed);
}

// Hangs (rather than passes) if a stop request did not end the sleep.
TEST(ThreadSleeper, StopRequestEndsLongSleep) {
    std::stop_source stop;
    auto sleeping = std::async(std::launch::async, [&] {
        return ThreadSleeper::shared().sleepFor(platform::Clock::Duration::max(), stop.get_token());
    });
    stop.request_stop();
    EXPECT_EQ(sleeping.get(), SleepResult::cancelled);
}

} // namespace
