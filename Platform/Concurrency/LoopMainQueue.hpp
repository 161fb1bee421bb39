#pragma once
// A main queue with its own thread and run loop, for programs without a GUI
// event loop. Destroying it stops the loop after the running task and drops
// the tasks still pending; it must not be destroyed by one of its own tasks.

#include "Platform/Concurrency/MainQueue.hpp"
#include "Platform/Concurrency/TimerQueue.hpp"

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

namespace platform {

class LoopMainQueue final : public MainQueue {
public:
    LoopMainQueue();
    ~LoopMainQueue() override;
    LoopMainQueue(const LoopMainQueue&) = delete;
    LoopMainQueue& operator=(const LoopMainQueue&) = delete;

    void post(Task task) override;
    TimerHandle postAfter(Clock::Duration delay, Task task) override;
    bool isCurrent() const override;

private:
    void add(Clock::Duration delay, Task task, TimerHandle handle);
    void run(std::stop_token stop);

    std::mutex mutex_;
    std::condition_variable_any wakeUp_;
    TimerQueue timers_;
    bool changed_ = false;
    std::jthread thread_; // last: starts after the state above exists
};

} // namespace platform
