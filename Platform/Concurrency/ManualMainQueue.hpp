#pragma once
// A main queue in virtual time for tests: nothing runs until the test calls
// runUntilIdle() or advance(). Its clock is a ManualClock, so code that reads
// the clock or sleeps on it sees the same virtual time as the timers.
// The thread that creates it counts as the queue's thread. A task that throws
// propagates out of runUntilIdle()/advance(); the tasks after it stay pending.

#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Concurrency/ManualClock.hpp"
#include "Platform/Concurrency/TimerQueue.hpp"

#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

class ManualMainQueue final : public MainQueue {
public:
    explicit ManualMainQueue(std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>());

    void post(Task task) override;
    TimerHandle postAfter(Clock::Duration delay, Task task) override;
    bool isCurrent() const override;

    // Runs every task due now, including tasks those tasks post; returns how many ran.
    std::size_t runUntilIdle();
    // Moves virtual time forward by `by`, running each timer at its own
    // deadline in deadline order; returns how many tasks ran.
    std::size_t advance(Clock::Duration by);
    // Tasks waiting to run, due or not, excluding cancelled timers.
    std::size_t pendingCount() const;
    Clock::TimePoint now() const { return clock_->now(); }
    ManualClock& clock() { return *clock_; }

private:
    std::size_t runDueAt(Clock::TimePoint time);

    std::shared_ptr<ManualClock> clock_;
    std::thread::id owner_;
    mutable std::mutex mutex_;
    TimerQueue timers_;
};

} // namespace platform
