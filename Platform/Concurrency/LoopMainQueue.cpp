#include "Platform/Concurrency/LoopMainQueue.hpp"

#include "Platform/Concurrency/TaskFailure.hpp"

#include <algorithm>

namespace platform {

namespace {
// Far deadlines are waited for in slices so no wait computation can overflow.
constexpr Clock::Duration longestSingleWait = std::chrono::hours(24);
} // namespace

LoopMainQueue::LoopMainQueue() : thread_([this](std::stop_token stop) { run(stop); }) {}

LoopMainQueue::~LoopMainQueue() {
    thread_.request_stop();
    thread_.join();
}

void LoopMainQueue::post(Task task) {
    add(Clock::Duration::zero(), std::move(task), {});
}

TimerHandle LoopMainQueue::postAfter(Clock::Duration delay, Task task) {
    auto handle = TimerHandle::make();
    add(delay, std::move(task), handle);
    return handle;
}

bool LoopMainQueue::isCurrent() const {
    return std::this_thread::get_id() == thread_.get_id();
}

void LoopMainQueue::add(Clock::Duration delay, Task task, TimerHandle handle) {
    {
        std::lock_guard lock(mutex_);
        timers_.add(deadlineAfter(std::chrono::steady_clock::now(), delay), std::move(task), std::move(handle));
        changed_ = true;
    }
    wakeUp_.notify_one();
}

void LoopMainQueue::run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        const auto now = std::chrono::steady_clock::now();
        if (auto task = timers_.takeDue(now)) {
            lock.unlock();
            runReportingFailure(*task, "main queue");
            task.reset(); // captures are released before the lock is taken again
            lock.lock();
            continue;
        }
        changed_ = false;
        const auto next = timers_.nextDeadline();
        if (next) {
            const auto until = std::min(*next, deadlineAfter(now, longestSingleWait));
            wakeUp_.wait_until(lock, stop, until, [&] { return changed_; });
        } else {
            wakeUp_.wait(lock, stop, [&] { return changed_; });
        }
    }
}

} // namespace platform
