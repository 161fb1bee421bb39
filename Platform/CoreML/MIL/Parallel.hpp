#pragma once
// Splits a loop over [0, count) into ranges run on the shared thread pool and
// waits for all of them. Ranges hold at least `grain` iterations; small loops
// run on the caller alone. An exception in any range is rethrown after all ran.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform::coreml::mil {

// How many threads the parallel loops started on the calling thread may use,
// for its lifetime; the loops' ranges run under the same limit. Without one,
// loops use every thread of the shared pool.
class ThreadBudget {
public:
    explicit ThreadBudget(std::size_t threads);
    ~ThreadBudget();
    ThreadBudget(const ThreadBudget&) = delete;
    ThreadBudget& operator=(const ThreadBudget&) = delete;

    // The limit in force on the calling thread, never more than the pool has.
    static std::size_t current();

private:
    std::size_t outer_;
};

// The threads a model's predictions use: `configured` when above zero, else
// the environment variable OSTREL_MODEL_THREADS when it holds a positive
// number, else every thread of the shared pool.
std::size_t modelThreadCount(int configured);

void parallelFor(std::int64_t count, std::int64_t grain,
                 const std::function<void(std::int64_t begin, std::int64_t end)>& body);

} // namespace platform::coreml::mil
