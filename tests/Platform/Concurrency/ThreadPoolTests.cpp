#include "Platform/Concurrency/ThreadPool.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <stdexcept>
#include <string>

namespace {

using platform::ThreadPool;

TEST(ThreadPool, SubmitReturnsResultOrError) {
    ThreadPool pool(2);
    auto value = pool.submit([] { return std::string("ready"); });
    auto failure = pool.submit([]() -> int { throw std::invalid_argument("bad input"); });
    EXPECT_EQ(value.get(), "ready");
    EXPECT_THROW(failure.get(), std::invalid_argument);
}

TEST(ThreadPool, RunsTasksConcurrentlyOnItsWorkers) {
    ThreadPool pool(3);
    EXPECT_EQ(pool.threadCount(), 3u);
    // Each task waits for all three: this only finishes if they run at once.
    std::latch allStarted(3);
    std::vector<std::future<bool>> results;
    for (int i = 0; i < 3; ++i) {
        results.push_back(pool.submit([&] {
            allStarted.arrive_and_wait();
            return pool.isWorkerThread();
        }));
    }
    for (auto& result : results) EXPECT_TRUE(result.get());
    EXPECT_FALSE(pool.isWorkerThread());
}

TEST(ThreadPool, DestructionFinishesEverySubmittedTask) {
    std::atomic<int> ran = 0;
    {
        ThreadPool pool(2);
        for (int i = 0; i < 50; ++i) {
            pool.execute([&, i] {
                ++ran;
                if (i % 10 == 0) pool.execute([&] { ++ran; }); // work added during shutdown also runs
            });
        }
    }
    EXPECT_EQ(ran.load(), 55);
}

TEST(ThreadPool, FailingFireAndForgetTaskIsLoggedAndWorkerSurvives) {
    platform::ScopedLogCapture capture;
    ThreadPool pool(1);
    pool.execute([] { throw std::runtime_error("lost task"); });
    EXPECT_EQ(pool.submit([] { return 7; }).get(), 7);
    EXPECT_TRUE(capture.contains("lost task"));
}

TEST(ThreadPool, SharedPoolIsSizedToTheHardware) {
    EXPECT_GE(ThreadPool::shared().threadCount(), 1u);
    EXPECT_EQ(&ThreadPool::shared(), &ThreadPool::shared());
    EXPECT_EQ(ThreadPool::shared().submit([] { return 1; }).get(), 1);
}

} // namespace
