#include "Platform/Concurrency/ManualClock.hpp"

#include <algorithm>

namespace platform {

ManualClock::ManualClock(TimePoint start) : now_(start) {}

Clock::TimePoint ManualClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void ManualClock::advance(Duration by) {
    {
        std::lock_guard lock(mutex_);
        moveTo(deadlineAfter(now_, by));
    }
    changed_.notify_all();
}

void ManualClock::advanceTo(TimePoint to) {
    {
        std::lock_guard lock(mutex_);
        moveTo(to);
    }
    changed_.notify_all();
}

void ManualClock::moveTo(TimePoint to) {
    if (to <= now_) return;
    now_ = to;
    // Removed here, not by the waking thread, so a test that advances and
    // then waits for the next sleep never counts the old one.
    std::erase_if(parked_, [&](Parked* sleeper) {
        sleeper->woken = sleeper->deadline <= now_;
        return sleeper->woken;
    });
}

SleepResult ManualClock::sleepFor(Duration duration, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    slept_.push_back(duration);
    if (stop.stop_requested()) return SleepResult::cancelled;
    const auto deadline = deadlineAfter(now_, duration);
    if (deadline <= now_) return SleepResult::completed;
    Parked self{deadline};
    parked_.push_back(&self);
    changed_.notify_all();
    changed_.wait(lock, stop, [&] { return self.woken; });
    if (self.woken) return SleepResult::completed;
    std::erase(parked_, &self);
    changed_.notify_all();
    return SleepResult::cancelled;
}

std::size_t ManualClock::parkedSleepers() const {
    std::lock_guard lock(mutex_);
    return parked_.size();
}

bool ManualClock::waitForParkedSleepers(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return parked_.size() >= count; });
}

std::vector<Clock::Duration> ManualClock::sleptDurations() const {
    std::lock_guard lock(mutex_);
    return slept_;
}

} // namespace platform
