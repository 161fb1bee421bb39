#include "Platform/Concurrency/TimerQueue.hpp"

#include <algorithm>

namespace platform {

void TimerQueue::add(Clock::TimePoint deadline, Task task, TimerHandle handle) {
    // Cancelled timers would otherwise hold their captures until their deadline.
    std::erase_if(entries_, [](const auto& entry) { return entry.second.handle.isCancelled(); });
    entries_.emplace(std::pair{deadline, nextSequence_++}, Entry{std::move(task), std::move(handle)});
}

std::optional<TimerQueue::Task> TimerQueue::takeDue(Clock::TimePoint now) {
    dropCancelledFront();
    if (entries_.empty() || entries_.begin()->first.first > now) return std::nullopt;
    auto node = entries_.extract(entries_.begin());
    return std::move(node.mapped().task);
}

std::optional<Clock::TimePoint> TimerQueue::nextDeadline() {
    dropCancelledFront();
    if (entries_.empty()) return std::nullopt;
    return entries_.begin()->first.first;
}

std::size_t TimerQueue::pendingCount() const {
    return static_cast<std::size_t>(std::ranges::count_if(
        entries_, [](const auto& entry) { return !entry.second.handle.isCancelled(); }));
}

void TimerQueue::dropCancelledFront() {
    while (!entries_.empty() && entries_.begin()->second.handle.isCancelled()) entries_.erase(entries_.begin());
}

} // namespace platform
