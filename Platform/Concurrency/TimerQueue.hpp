#pragma once
// The pending tasks of a main queue, ordered by deadline and then by the
// order they were added. Not synchronised: its owner holds the lock.

#include "Platform/Concurrency/Clock.hpp"
#include "Platform/Concurrency/TimerHandle.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace platform {

class TimerQueue {
public:
    using Task = std::function<void()>;

    void add(Clock::TimePoint deadline, Task task, TimerHandle handle = {});
    // Removes and returns the earliest task due at `now`; cancelled tasks are dropped on the way.
    std::optional<Task> takeDue(Clock::TimePoint now);
    // Earliest deadline among tasks not cancelled.
    std::optional<Clock::TimePoint> nextDeadline();
    std::size_t pendingCount() const;
    void clear() { entries_.clear(); }

private:
    struct Entry {
        Task task;
        TimerHandle handle;
    };
    void dropCancelledFront();

    std::map<std::pair<Clock::TimePoint, std::uint64_t>, Entry> entries_;
    std::uint64_t nextSequence_ = 0;
};

} // namespace platform
