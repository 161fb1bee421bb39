#include "Platform/Concurrency/ThreadSleeper.hpp"

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace platform {

namespace {
// Very long sleeps wait in slices so no deadline computation can overflow.
constexpr Clock::Duration longestSingleWait = std::chrono::hours(24);
} // namespace

SleepResult ThreadSleeper::sleepFor(Clock::Duration duration, std::stop_token stop) {
    using std::chrono::steady_clock;
    const auto deadline = deadlineAfter(steady_clock::now(), duration);
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    while (!stop.stop_requested()) {
        const auto now = steady_clock::now();
        if (now >= deadline) return SleepResult::completed;
        const auto until = std::min(deadline, deadlineAfter(now, longestSingleWait));
        wakeUp.wait_until(lock, stop, until, [] { return false; });
    }
    return SleepResult::cancelled;
}

ThreadSleeper& ThreadSleeper::shared() {
    static ThreadSleeper sleeper;
    return sleeper;
}

} // namespace platform
