#include "Platform/Concurrency/ManualMainQueue.hpp"

#include <algorithm>

namespace platform {

ManualMainQueue::ManualMainQueue(std::shared_ptr<ManualClock> clock)
    : clock_(std::move(clock)), owner_(std::this_thread::get_id()) {}

void ManualMainQueue::post(Task task) {
    std::lock_guard lock(mutex_);
    timers_.add(clock_->now(), std::move(task));
}

TimerHandle ManualMainQueue::postAfter(Clock::Duration delay, Task task) {
    auto handle = TimerHandle::make();
    std::lock_guard lock(mutex_);
    timers_.add(deadlineAfter(clock_->now(), delay), std::move(task), handle);
    return handle;
}

bool ManualMainQueue::isCurrent() const {
    return std::this_thread::get_id() == owner_;
}

std::size_t ManualMainQueue::runUntilIdle() {
    return runDueAt(clock_->now());
}

std::size_t ManualMainQueue::advance(Clock::Duration by) {
    const auto target = deadlineAfter(clock_->now(), by);
    std::size_t ran = runDueAt(clock_->now());
    while (true) {
        std::unique_lock lock(mutex_);
        const auto next = timers_.nextDeadline();
        if (!next || *next > target) break;
        lock.unlock();
        clock_->advanceTo(*next);
        ran += runDueAt(*next);
    }
    clock_->advanceTo(target);
    return ran;
}

std::size_t ManualMainQueue::pendingCount() const {
    std::lock_guard lock(mutex_);
    return timers_.pendingCount();
}

std::size_t ManualMainQueue::runDueAt(Clock::TimePoint time) {
    std::size_t ran = 0;
    while (true) {
        std::unique_lock lock(mutex_);
        auto task = timers_.takeDue(time);
        lock.unlock();
        if (!task) return ran;
        (*task)();
        ++ran;
    }
}

} // namespace platform
