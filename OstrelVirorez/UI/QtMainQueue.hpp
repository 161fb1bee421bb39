#pragma once
// The application's main queue on the Qt event loop: tasks run one at a time
// on the thread that made the queue (the GUI thread), delayed tasks on Qt's
// precise timers. Tasks still pending when the queue goes away never run.
// Any thread may post.

#include "Platform/Concurrency/MainQueue.hpp"

#include <memory>

class QObject;

namespace ostrelvirorez {

class QtMainQueue final : public platform::MainQueue {
public:
    // Made on the thread that runs (or will run) the Qt event loop.
    QtMainQueue();
    ~QtMainQueue() override;
    QtMainQueue(const QtMainQueue&) = delete;
    QtMainQueue& operator=(const QtMainQueue&) = delete;

    void post(Task task) override;
    platform::TimerHandle postAfter(platform::Clock::Duration delay, Task task) override;
    bool isCurrent() const override;

private:
    // Receives the queued calls and owns the timers; deleting it drops both.
    std::unique_ptr<QObject> context_;
};

} // namespace ostrelvirorez
