#include "Platform/Concurrency/TaskGroup.hpp"
#include "Platform/Concurrency/TaskGroupOf.hpp"

#include "Platform/Concurrency/ManualClock.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <stdexcept>
#include <string>

namespace {

using namespace std::chrono_literals;
using platform::ManualClock;
using platform::SleepResult;
using platform::TaskGroup;
using platform::TaskGroupOf;
using platform::ThreadPool;

// Children that run until their group is stopped park on a virtual-time
// sleeper that is never advanced, so only a stop request ends them.
SleepResult waitForStop(ManualClock& clock, std::stop_token stop) {
    return clock.sleepFor(1h, std::move(stop));
}

TEST(TaskGroup, FirstErrorStopsTheRestAndIsRethrownAfterAllFinish) {
    ThreadPool pool(3);
    ManualClock clock;
    std::atomic<int> finished = 0;
    TaskGroup group(pool);
    for (int i = 0; i < 2; ++i) {
        group.spawn([&](std::stop_token stop) {
            const auto result = waitForStop(clock, stop);
            ++finished;
            // A child reacting to cancellation with its own error does not replace the first one.
            if (result == SleepResult::cancelled) throw std::runtime_error("cancelled");
        });
    }
    group.spawn([&](std::stop_token) {
        clock.waitForParkedSleepers(2);
        ++finished;
        throw std::invalid_argument("first failure");
    });

    try {
        group.wait();
        FAIL() << "wait() should rethrow";
    } catch (const std::invalid_argument& error) {
        EXPECT_EQ(std::string(error.what()), "first failure");
    }
    EXPECT_EQ(finished.load(), 3);
    EXPECT_TRUE(group.isCancelled());
}

TEST(TaskGroup, StopFromOutsideCancelsChildrenWithoutAnError) {
    ThreadPool pool(2);
    ManualClock clock;
    std::stop_source outside;
    std::atomic<int> cancelled = 0;
    TaskGroup group(pool, outside.get_token());
    for (int i = 0; i < 2; ++i) {
        group.spawn([&](std::stop_token stop) {
            if (waitForStop(clock, stop) == SleepResult::cancelled) ++cancelled;
        });
    }
    ASSERT_TRUE(clock.waitForParkedSleepers(2));
    outside.request_stop();
    EXPECT_NO_THROW(group.wait());
    EXPECT_EQ(cancelled.load(), 2);
    EXPECT_TRUE(group.isCancelled());
}

TEST(TaskGroup, AlreadyStoppedOutsideTokenStopsChildrenFromTheStart) {
    ThreadPool pool(1);
    std::stop_source outside;
    outside.request_stop();
    TaskGroup group(pool, outside.get_token());
    std::atomic<bool> sawStop = false;
    group.spawn([&](std::stop_token stop) { sawStop = stop.stop_requested(); });
    group.wait();
    EXPECT_TRUE(sawStop);
}

TEST(TaskGroup, DestroyingUnwaitedGroupStopsAndWaitsForChildren) {
    ThreadPool pool(2);
    ManualClock clock;
    std::atomic<bool> childDone = false;
    {
        TaskGroup group(pool);
        group.spawn([&](std::stop_token stop) {
            waitForStop(clock, stop);
            childDone = true;
        });
        ASSERT_TRUE(clock.waitForParkedSleepers(1));
    }
    EXPECT_TRUE(childDone);
}

// With one worker, a task that waits for its own group would starve its
// children of a thread unless the waiting worker runs them itself.
TEST(TaskGroup, NestedGroupOnBusyPoolDoesNotDeadlock) {
    ThreadPool pool(1);
    auto outer = pool.submit([&] {
        TaskGroupOf<int> inner(pool);
        for (int i = 1; i <= 3; ++i) inner.spawn([i](std::stop_token) { return i * 10; });
        return inner.wait();
    });
    EXPECT_EQ(outer.get(), (std::vector<int>{10, 20, 30}));
}

TEST(TaskGroupOf, ResultsComeBackInSpawnOrderWhateverOrderChildrenFinish) {
    ThreadPool pool(4);
    std::latch lastFinished(1);
    TaskGroupOf<std::string> group(pool);
    group.spawn([&](std::stop_token) {
        lastFinished.wait(); // finishes after the others
        return std::string("first");
    });
    group.spawn([](std::stop_token) { return std::string("second"); });
    group.spawn([&](std::stop_token) {
        lastFinished.count_down();
        return std::string("third");
    });
    EXPECT_EQ(group.wait(), (std::vector<std::string>{"first", "second", "third"}));
}

TEST(TaskGroupOf, ErrorIsRethrownInsteadOfPartialResults) {
    ThreadPool pool(2);
    TaskGroupOf<int> group(pool);
    group.spawn([](std::stop_token) { return 1; });
    group.spawn([](std::stop_token) -> int { throw std::runtime_error("chunk failed"); });
    EXPECT_THROW(group.wait(), std::runtime_error);
}

} // namespace
