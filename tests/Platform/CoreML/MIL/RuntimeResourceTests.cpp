// What a prediction borrows from the process: tensor buffers reused from the
// pool, and the threads its parallel loops may use.

#include "Platform/Concurrency/ThreadPool.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"
#include "Platform/CoreML/MIL/TensorBufferPool.hpp"

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <thread>

namespace {

using namespace platform::coreml::mil;

constexpr std::size_t large = std::size_t{1} << 20;

TEST(TensorBufferPool, SizeClassesWasteAtMostAnEighth) {
    struct Case {
        const char* name;
        std::size_t bytes;
        std::size_t expected;
    };
    const Case cases[]{
        {"small requests share the smallest class", 100, TensorBufferPool::pooledMinimum},
        {"a power of two is its own class", std::size_t{1} << 17, std::size_t{1} << 17},
        {"one past a power of two rounds up an eighth", (std::size_t{1} << 17) + 1, (std::size_t{1} << 17) * 9 / 8},
        {"huge buffers round to whole 2 MiB pages", (std::size_t{4} << 20) + 1, std::size_t{6} << 20},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TensorBufferPool::sizeClass(c.bytes), c.expected) << c.name;
    }
    for (std::size_t bytes = TensorBufferPool::pooledMinimum; bytes < (std::size_t{64} << 20); bytes = bytes * 5 / 4 + 17) {
        const auto size = TensorBufferPool::sizeClass(bytes);
        EXPECT_GE(size, bytes);
        EXPECT_LE(static_cast<double>(size), static_cast<double>(bytes) * 1.125 + (std::size_t{2} << 20)) << bytes;
    }
}

TEST(TensorBufferPool, ReusesAReturnedBufferOfTheSameClass) {
    TensorBufferPool pool(8 * large);
    void* first = nullptr;
    {
        const auto buffer = pool.acquire(large);
        first = buffer.get();
    }
    EXPECT_EQ(pool.cachedBytes(), large);
    const auto again = pool.acquire(large - 100);
    EXPECT_EQ(again.get(), first);
    EXPECT_EQ(pool.cachedBytes(), 0u);
    const auto other = pool.acquire(2 * large);
    EXPECT_NE(other.get(), first);
}

TEST(TensorBufferPool, KeepsAtMostItsCapacityDroppingTheOldestFirst) {
    TensorBufferPool pool(3 * large);
    auto oldest = pool.acquire(large);
    auto middle = pool.acquire(2 * large);
    auto newest = pool.acquire(large);
    void* newestAddress = newest.get();
    oldest.reset();
    middle.reset();
    newest.reset();
    EXPECT_EQ(pool.cachedBytes(), 3 * large) << "the oldest buffer went back to the system";
    EXPECT_EQ(pool.acquire(large).get(), newestAddress);
    pool.trim();
    EXPECT_EQ(pool.cachedBytes(), 0u);
    TensorBufferPool tiny(large / 2);
    tiny.acquire(large).reset();
    EXPECT_EQ(tiny.cachedBytes(), 0u) << "a buffer larger than the pool is never kept";
}

TEST(TensorBufferPool, PoolsOnlyTensorsMadeInsideAPrediction) {
    auto& shared = TensorBufferPool::shared();
    shared.trim();
    { const Tensor loadTime(DataType::fp32, {1 << 18}); }
    EXPECT_EQ(shared.cachedBytes(), 0u) << "a load's transient values are not kept";
    const void* reused = nullptr;
    {
        const TensorBufferPool::Scope prediction;
        {
            const Tensor intermediate(DataType::fp32, {1 << 18});
            reused = intermediate.floatValues().data();
        }
        EXPECT_GT(shared.cachedBytes(), 0u);
        Tensor next(DataType::fp32, {1 << 18});
        EXPECT_EQ(next.floatValues().data(), reused);
        for (const auto value : next.floatValues()) {
            ASSERT_EQ(value, 0.0f) << "a reused buffer is zeroed for a zero-filled tensor";
        }
    }
    shared.trim();
}

std::set<std::thread::id> threadsOf(std::int64_t count) {
    std::mutex mutex;
    std::set<std::thread::id> seen;
    parallelFor(count, 1, [&](std::int64_t, std::int64_t) {
        const std::lock_guard lock(mutex);
        seen.insert(std::this_thread::get_id());
    });
    return seen;
}

TEST(ThreadBudget, LimitsTheThreadsOfParallelLoops) {
    const auto poolThreads = platform::ThreadPool::shared().threadCount();
    EXPECT_EQ(ThreadBudget::current(), poolThreads);
    {
        const ThreadBudget one(1);
        EXPECT_EQ(ThreadBudget::current(), 1u);
        EXPECT_EQ(threadsOf(64), std::set{std::this_thread::get_id()}) << "one thread is the caller alone";
        {
            const ThreadBudget more(poolThreads + 5);
            EXPECT_EQ(ThreadBudget::current(), poolThreads) << "never more than the pool has";
        }
        EXPECT_EQ(ThreadBudget::current(), 1u);
    }
    if (poolThreads >= 2) {
        const ThreadBudget two(2);
        std::mutex mutex;
        std::size_t nestedLimit = 0;
        parallelFor(2, 1, [&](std::int64_t, std::int64_t) {
            const std::lock_guard lock(mutex);
            nestedLimit = std::max(nestedLimit, ThreadBudget::current());
        });
        EXPECT_EQ(nestedLimit, 2u) << "ranges run under the caller's limit";
    }
    EXPECT_EQ(modelThreadCount(3), 3u);
}

} // namespace
