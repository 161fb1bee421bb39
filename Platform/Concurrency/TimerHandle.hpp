#pragma once
// Refers to one delayed task on a MainQueue; cancel() keeps it from running
// if it has not started yet. Copies refer to the same task; a default handle
// refers to none.

#include <atomic>
#include <memory>

namespace platform {

class TimerHandle {
public:
    TimerHandle() = default;

    static TimerHandle make() { return TimerHandle(std::make_shared<std::atomic<bool>>(false)); }

    void cancel() const {
        if (cancelled_) cancelled_->store(true);
    }
    bool isCancelled() const { return cancelled_ && cancelled_->load(); }

private:
    explicit TimerHandle(std::shared_ptr<std::atomic<bool>> cancelled) : cancelled_(std::move(cancelled)) {}

    std::shared_ptr<std::atomic<bool>> cancelled_;
};

} // namespace platform
