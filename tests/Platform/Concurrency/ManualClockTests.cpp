#include "Platform/Concurrency/ManualClock.hpp"

#include <gtest/gtest.h>

#include <future>
#include <stop_token>
#include <thread>

namespace {

using namespace std::chrono_literals;
using platform::ManualClock;
using platform::SleepResult;

TEST(ManualClock, SleeperWakesOnlyOnceTimeReachesItsDeadline) {
    ManualClock clock;
    const auto start = clock.now();
    auto sleeping = std::async(std::launch::async, [&] { return clock.sleepFor(10s); });
    ASSERT_TRUE(clock.waitForParkedSleepers(1));

    clock.advance(9s);
    EXPECT_EQ(clock.parkedSleepers(), 1u);
    EXPECT_EQ(sleeping.wait_for(0s), std::future_status::timeout);

    clock.advance(1s);
    EXPECT_EQ(clock.parkedSleepers(), 0u);
    EXPECT_EQ(sleeping.get(), SleepResult::completed);
    EXPECT_EQ(clock.now(), start + 10s);
}

TEST(ManualClock, StopRequestWakesParkedSleeperEarly) {
    ManualClock clock;
    std::stop_source stop;
    auto sleeping = std::async(std::launch::async, [&] { return clock.sleepFor(1h, stop.get_token()); });
    ASSERT_TRUE(clock.waitForParkedSleepers(1));

    stop.request_stop();
    EXPECT_EQ(sleeping.get(), SleepResult::cancelled);
    EXPECT_EQ(clock.parkedSleepers(), 0u);
}

TEST(ManualClock, SleepsThatNeedNoWaitReturnAtOnce) {
    ManualClock clock;
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_EQ(clock.sleepFor(0s), SleepResult::completed);
    EXPECT_EQ(clock.sleepFor(-5s), SleepResult::completed);
    EXPECT_EQ(clock.sleepFor(1s, stopped.get_token()), SleepResult::cancelled);
    EXPECT_EQ(clock.sleptDurations(), (std::vector<ManualClock::Duration>{0s, -5s, 1s}));
}

// A retry loop with back-off, as other libraries run it against an injected sleeper.
TEST(ManualClock, DrivesBackOffLoopStepByStep) {
    ManualClock clock;
    auto retrying = std::async(std::launch::async, [&] {
        for (auto delay : {1s, 2s, 4s}) {
            if (clock.sleepFor(delay) != SleepResult::completed) return false;
        }
        return true;
    });
    for (auto step : {1s, 2s, 4s}) {
        ASSERT_TRUE(clock.waitForParkedSleepers(1));
        clock.advance(step);
    }
    EXPECT_TRUE(retrying.get());
    EXPECT_EQ(clock.sleptDurations(), (std::vector<ManualClock::Duration>{1s, 2s, 4s}));
}

TEST(ManualClock, TimeNeverGoesBackAndHugeStepsSaturate) {
    ManualClock clock;
    clock.advance(5s);
    const auto later = clock.now();
    clock.advanceTo(later - 1s);
    clock.advance(-1s);
    EXPECT_EQ(clock.now(), later);
    clock.advance(ManualClock::Duration::max());
    EXPECT_EQ(clock.now(), ManualClock::TimePoint::max());
}

TEST(ManualClock, OneAdvanceWakesEverySleeperThatIsDue) {
    ManualClock clock;
    auto shortSleep = std::async(std::launch::async, [&] { return clock.sleepFor(1s); });
    auto longSleep = std::async(std::launch::async, [&] { return clock.sleepFor(3s); });
    ASSERT_TRUE(clock.waitForParkedSleepers(2));
    clock.advance(2s);
    EXPECT_EQ(shortSleep.get(), SleepResult::completed);
    EXPECT_EQ(clock.parkedSleepers(), 1u);
    clock.advance(1s);
    EXPECT_EQ(longSleep.get(), SleepResult::completed);
}

} // namespace
