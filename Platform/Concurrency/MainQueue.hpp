#pragma once
// The main actor's queue: work posted here runs one task at a time on one
// thread, in deadline order and first-in-first-out among equal deadlines.
// Main-actor objects touch their state only from tasks on this queue.

#include "Platform/Concurrency/Clock.hpp"
#include "Platform/Concurrency/TimerHandle.hpp"

#include <functional>

namespace platform {

class MainQueue {
public:
    using Task = std::function<void()>;

    virtual ~MainQueue() = default;

    virtual void post(Task task) = 0;
    // Runs `task` once `delay` has passed (a negative delay counts as none).
    virtual TimerHandle postAfter(Clock::Duration delay, Task task) = 0;
    void cancel(const TimerHandle& handle) { handle.cancel(); }
    // Whether the caller is running on this queue's thread.
    virtual bool isCurrent() const = 0;
};

} // namespace platform
