#include "Platform/Concurrency/ManualMainQueue.hpp"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::Clock;
using platform::ManualMainQueue;

TEST(ManualMainQueue, NothingRunsUntilAskedAndPostedWorkRunsInOrder) {
    ManualMainQueue queue;
    std::vector<int> ran;
    queue.post([&] { ran.push_back(1); });
    queue.post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(queue.pendingCount(), 2u);
    EXPECT_EQ(queue.runUntilIdle(), 2u);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST(ManualMainQueue, RunUntilIdleRunsTasksPostedByTasksButNotFutureTimers) {
    ManualMainQueue queue;
    std::vector<std::string> ran;
    queue.post([&] {
        ran.push_back("outer");
        queue.post([&] {
            ran.push_back("inner");
            queue.postAfter(0s, [&] { ran.push_back("zero delay"); });
        });
        queue.postAfter(1s, [&] { ran.push_back("later"); });
    });
    EXPECT_EQ(queue.runUntilIdle(), 3u);
    EXPECT_EQ(ran, (std::vector<std::string>{"outer", "inner", "zero delay"}));
    EXPECT_EQ(queue.pendingCount(), 1u);
}

TEST(ManualMainQueue, AdvanceFiresTimersInDeadlineOrderEachAtItsOwnTime) {
    ManualMainQueue queue;
    const auto start = queue.now();
    std::vector<std::pair<std::string, Clock::Duration>> fired;
    auto record = [&](std::string name) {
        return [&, name] { fired.emplace_back(name, queue.now() - start); };
    };
    queue.postAfter(3s, record("c"));
    queue.postAfter(1s, record("a"));
    queue.postAfter(2s, record("b1"));
    queue.postAfter(2s, record("b2"));
    queue.postAfter(10s, record("beyond"));

    EXPECT_EQ(queue.advance(5s), 4u);
    const std::vector<std::pair<std::string, Clock::Duration>> expected{{"a", 1s}, {"b1", 2s}, {"b2", 2s}, {"c", 3s}};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(queue.now(), start + 5s);
    EXPECT_EQ(queue.pendingCount(), 1u);
}

TEST(ManualMainQueue, TimerSetByTimerFiresWithinSameAdvance) {
    ManualMainQueue queue;
    const auto start = queue.now();
    std::vector<Clock::Duration> ticks;
    std::function<void()> tick = [&] {
        ticks.push_back(queue.now() - start);
        if (ticks.size() < 3) queue.postAfter(2s, tick);
    };
    queue.postAfter(2s, tick);
    queue.advance(10s);
    EXPECT_EQ(ticks, (std::vector<Clock::Duration>{2s, 4s, 6s}));
}

TEST(ManualMainQueue, CancelledTimerDoesNotFire) {
    ManualMainQueue queue;
    int fired = 0;
    auto byHandle = queue.postAfter(1s, [&] { ++fired; });
    auto byQueue = queue.postAfter(1s, [&] { ++fired; });
    auto kept = queue.postAfter(2s, [&] { fired += 10; });
    byHandle.cancel();
    queue.cancel(byQueue);
    EXPECT_EQ(queue.pendingCount(), 1u);
    queue.advance(5s);
    EXPECT_EQ(fired, 10);
    EXPECT_FALSE(kept.isCancelled());
}

TEST(ManualMainQueue, TaskCanCancelLaterTimer) {
    ManualMainQueue queue;
    bool debounced = false;
    auto pending = queue.postAfter(2s, [&] { debounced = true; });
    queue.postAfter(1s, [&] { pending.cancel(); });
    queue.advance(3s);
    EXPECT_FALSE(debounced);
}

TEST(ManualMainQueue, SharesVirtualTimeWithItsClock) {
    auto clock = std::make_shared<platform::ManualClock>();
    ManualMainQueue queue(clock);
    auto sleeping = std::async(std::launch::async, [&] { return clock->sleepFor(2s); });
    ASSERT_TRUE(clock->waitForParkedSleepers(1));
    queue.advance(2s);
    EXPECT_EQ(sleeping.get(), platform::SleepResult::completed);
}

TEST(ManualMainQueue, CreatingThreadIsTheQueueThread) {
    ManualMainQueue queue;
    EXPECT_TRUE(queue.isCurrent());
    EXPECT_FALSE(std::async(std::launch::async, [&] { return queue.isCurrent(); }).get());
}

TEST(ManualMainQueue, TaskFailureReachesTheTestAndLaterTasksStayQueued) {
    ManualMainQueue queue;
    bool laterRan = false;
    queue.post([] { throw std::runtime_error("boom"); });
    queue.post([&] { laterRan = true; });
    EXPECT_THROW(queue.runUntilIdle(), std::runtime_error);
    EXPECT_FALSE(laterRan);
    queue.runUntilIdle();
    EXPECT_TRUE(laterRan);
}

} // namespace
