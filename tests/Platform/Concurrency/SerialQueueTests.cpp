#include "Platform/Concurrency/SerialQueue.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using platform::SerialQueue;

TEST(SerialQueue, RunsTasksOneAtATimeInQueueOrder) {
    SerialQueue queue;
    std::vector<int> order; // touched only on the queue
    for (int i = 0; i < 100; ++i) queue.async([&order, i] { order.push_back(i); });
    const auto seen = queue.sync([&] { return order; });
    std::vector<int> expected(100);
    for (int i = 0; i < 100; ++i) expected[i] = i;
    EXPECT_EQ(seen, expected);
}

TEST(SerialQueue, SyncFromManyThreadsNeverOverlaps) {
    SerialQueue queue;
    int counter = 0; // unsynchronised on purpose: the queue is the lock
    {
        std::vector<std::jthread> callers;
        for (int t = 0; t < 4; ++t) {
            callers.emplace_back([&] {
                for (int i = 0; i < 200; ++i) queue.sync([&] { ++counter; });
            });
        }
    }
    EXPECT_EQ(queue.sync([&] { return counter; }), 800);
}

TEST(SerialQueue, SyncFromItsOwnTaskRunsInline) {
    SerialQueue queue;
    EXPECT_FALSE(queue.isCurrent());
    const auto nested = queue.sync([&] {
        return queue.sync([&] { return queue.isCurrent() ? 42 : -1; });
    });
    EXPECT_EQ(nested, 42);
}

TEST(SerialQueue, SyncRethrowsTheTaskError) {
    SerialQueue queue;
    EXPECT_THROW(queue.sync([]() -> int { throw std::out_of_range("no such item"); }), std::out_of_range);
    EXPECT_EQ(queue.sync([] { return 1; }), 1);
}

TEST(SerialQueue, DestructionRunsWorkAlreadyQueued) {
    int ran = 0;
    {
        SerialQueue queue;
        for (int i = 0; i < 20; ++i) queue.async([&] { ++ran; });
    }
    EXPECT_EQ(ran, 20);
}

} // namespace
