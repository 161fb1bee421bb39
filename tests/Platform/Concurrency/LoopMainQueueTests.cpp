#include "Platform/Concurrency/LoopMainQueue.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <future>
#include <latch>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::LoopMainQueue;

TEST(LoopMainQueue, RunsPostedWorkInOrderOnItsOwnThread) {
    LoopMainQueue queue;
    EXPECT_FALSE(queue.isCurrent());
    std::vector<int> order;
    std::promise<bool> done;
    for (int i = 0; i < 5; ++i) queue.post([&order, i] { order.push_back(i); });
    queue.post([&] { done.set_value(queue.isCurrent()); });
    EXPECT_TRUE(done.get_future().get());
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(LoopMainQueue, RunsDelayedWorkAndSkipsCancelledTimer) {
    LoopMainQueue queue;
    std::vector<int> fired;
    std::promise<void> done;
    std::latch cancelDone(1);
    queue.post([&] { cancelDone.wait(); }); // holds the loop so the timer cannot fire before it is cancelled
    auto cancelled = queue.postAfter(1ms, [&] { fired.push_back(-1); });
    queue.cancel(cancelled);
    cancelDone.count_down();
    queue.postAfter(2ms, [&] { fired.push_back(2); });
    queue.postAfter(3ms, [&] {
        fired.push_back(3);
        done.set_value();
    });
    done.get_future().wait();
    EXPECT_EQ(fired, (std::vector<int>{2, 3}));
}

TEST(LoopMainQueue, FailingTaskIsLoggedAndLoopKeepsRunning) {
    platform::ScopedLogCapture capture;
    LoopMainQueue queue;
    std::promise<void> after;
    queue.post([] { throw std::runtime_error("task broke"); });
    queue.post([&] { after.set_value(); });
    after.get_future().wait();
    EXPECT_TRUE(capture.contains("task broke"));
}

TEST(LoopMainQueue, DestructionDropsPendingTasksWithoutRunningThem) {
    auto witness = std::make_shared<int>(0);
    std::weak_ptr<int> watch = witness;
    bool ran = false;
    {
        LoopMainQueue queue;
        queue.postAfter(1h, [&ran, witness] { ran = true; });
        witness.reset();
        // A far-future deadline must not overflow the loop's wait.
        queue.postAfter(platform::Clock::Duration::max(), [&ran] { ran = true; });
        std::promise<void> idle;
        queue.post([&] { idle.set_value(); });
        idle.get_future().wait();
    }
    EXPECT_FALSE(ran);
    EXPECT_TRUE(watch.expired());
}

TEST(LoopMainQueue, AcceptsWorkFromManyThreads) {
    LoopMainQueue queue;
    constexpr int threads = 4, perThread = 100;
    int count = 0; // touched only on the queue's thread
    std::latch finished(threads * perThread);
    std::vector<std::jthread> posters;
    for (int t = 0; t < threads; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < perThread; ++i) queue.post([&] { ++count; finished.count_down(); });
        });
    }
    finished.wait();
    std::promise<int> total;
    queue.post([&] { total.set_value(count); });
    EXPECT_EQ(total.get_future().get(), threads * perThread);
}

} // namespace
