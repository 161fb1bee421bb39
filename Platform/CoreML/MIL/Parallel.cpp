#include "Platform/CoreML/MIL/Parallel.hpp"

#include "Platform/Concurrency/SpinWait.hpp"
#include "Platform/Concurrency/ThreadPool.hpp"
#include "Platform/Core/Immortal.hpp"
#include "Platform/Core/Logger.hpp"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <string_view>

namespace platform::coreml::mil {
namespace {

constexpr std::size_t unlimited = 0;
thread_local std::size_t budget = unlimited;

std::size_t environmentThreadCount() {
    const char* text = std::getenv("OSTREL_MODEL_THREADS");
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    const std::string_view value(text);
    int threads = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), threads);
    if (error != std::errc{} || end != value.data() + value.size() || threads <= 0) {
        static const Immortal<Logger> logger("platform", "models");
        logger.get().warning("OSTREL_MODEL_THREADS=\"" + std::string(value) +
                             "\" is not a positive whole number; models use every core");
        return 0;
    }
    return static_cast<std::size_t>(threads);
}

} // namespace

ThreadBudget::ThreadBudget(std::size_t threads) : outer_(budget) { budget = threads; }

ThreadBudget::~ThreadBudget() { budget = outer_; }

std::size_t ThreadBudget::current() {
    const auto pooled = ThreadPool::shared().threadCount();
    return budget == unlimited ? pooled : std::min(budget, pooled);
}

std::size_t modelThreadCount(int configured) {
    if (configured > 0) {
        return static_cast<std::size_t>(configured);
    }
    static const std::size_t fromEnvironment = environmentThreadCount();
    return fromEnvironment > 0 ? fromEnvironment : ThreadPool::shared().threadCount();
}

void parallelFor(std::int64_t count, std::int64_t grain,
                 const std::function<void(std::int64_t begin, std::int64_t end)>& body) {
    if (count <= 0) {
        return;
    }
    auto& pool = ThreadPool::shared();
    const auto limit = ThreadBudget::current();
    const auto workers = static_cast<std::int64_t>(limit);
    const auto chunks = std::clamp<std::int64_t>(count / std::max<std::int64_t>(grain, 1), 1, workers);
    if (chunks <= 1) {
        body(0, count);
        return;
    }
    std::mutex mutex;
    std::condition_variable finished;
    // Changed under `mutex`; read without it while spinning.
    std::atomic<std::int64_t> pending = chunks - 1;
    std::exception_ptr firstError;
    const auto rangeOf = [&](std::int64_t chunk) {
        return std::pair{count * chunk / chunks, count * (chunk + 1) / chunks};
    };
    for (std::int64_t chunk = 1; chunk < chunks; ++chunk) {
        pool.execute([&, chunk] {
            const auto [begin, end] = rangeOf(chunk);
            std::exception_ptr error;
            try {
                const ThreadBudget inherited(limit);
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
            // The last ranges often end sooner than a sleeping thread wakes.
            spinBriefly([&] { return pending.load(std::memory_order_acquire) == 0; });
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
