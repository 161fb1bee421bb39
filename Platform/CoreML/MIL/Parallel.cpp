#include "Platform/CoreML/MIL/Parallel.hpp"

#include "Platform/Concurrency/ThreadPool.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>

namespace platform::coreml::mil {

void parallelFor(std::int64_t count, std::int64_t grain,
                 const std::function<void(std::int64_t begin, std::int64_t end)>& body) {
    if (count <= 0) {
        return;
    }
    auto& pool = ThreadPool::shared();
    const auto workers = static_cast<std::int64_t>(pool.threadCount());
    const auto chunks = std::clamp<std::int64_t>(count / std::max<std::int64_t>(grain, 1), 1, workers);
    if (chunks <= 1) {
        body(0, count);
        return;
    }
    std::mutex mutex;
    std::condition_variable finished;
    std::int64_t pending = chunks - 1;
    std::exception_ptr firstError;
    const auto rangeOf = [&](std::int64_t chunk) {
        return std::pair{count * chunk / chunks, count * (chunk + 1) / chunks};
    };
    for (std::int64_t chunk = 1; chunk < chunks; ++chunk) {
        pool.execute([&, chunk] {
            const auto [begin, end] = rangeOf(chunk);
            std::exception_ptr error;
            try {
                body(begin, end);
            } catch (...) {
                error = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            if (error && !firstError) {
                firstError = error;
            }
            if (--pending == 0) {
                finished.notify_all();
            }
        });
    }
    std::exception_ptr ownError;
    try {
        const auto [begin, end] = rangeOf(0);
        body(begin, end);
    } catch (...) {
        ownError = std::current_exception();
    }
    // While others' ranges wait in the queue, run them here rather than block.
    while (true) {
        {
            std::unique_lock lock(mutex);
            if (pending == 0) {
                break;
            }
        }
        if (!pool.runPendingTask()) {
            std::unique_lock lock(mutex);
            finished.wait(lock, [&] { return pending == 0; });
            break;
        }
    }
    if (ownError) {
        std::rethrow_exception(ownError);
    }
    if (firstError) {
        std::rethrow_exception(firstError);
    }
}

} // namespace platform::coreml::mil
