#include "Platform/Concurrency/TaskGroup.hpp"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <utility>

namespace platform {

struct TaskGroup::State {
    std::stop_source stop;
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t running = 0;
    std::exception_ptr firstError;

    void fail(std::exception_ptr error) {
        {
            std::lock_guard lock(mutex);
            if (!firstError) firstError = std::move(error);
        }
        stop.request_stop();
    }

    void finishOne() {
        std::lock_guard lock(mutex);
        if (--running == 0) finished.notify_all();
    }

    bool allFinished() {
        std::lock_guard lock(mutex);
        return running == 0;
    }
};

TaskGroup::TaskGroup(ThreadPool& pool, std::stop_token outside)
    : pool_(pool), state_(std::make_shared<State>()) {
    if (outside.stop_possible()) {
        forwardOutsideStop_.emplace(std::move(outside), [state = state_] { state->stop.request_stop(); });
    }
}

TaskGroup::~TaskGroup() {
    cancel();
    waitForChildren();
}

void TaskGroup::spawn(Child child) {
    {
        std::lock_guard lock(state_->mutex);
        ++state_->running;
    }
    pool_.execute([state = state_, child = std::move(child)]() mutable {
        // The child and its captures are gone before wait() can return.
        auto run = std::move(child);
        try {
            run(state->stop.get_token());
        } catch (...) {
            state->fail(std::current_exception());
        }
        run = nullptr;
        state->finishOne();
    });
}

void TaskGroup::wait() {
    waitForChildren();
    {
        std::lock_guard lock(state_->mutex);
        if (!error_) error_ = std::exchange(state_->firstError, nullptr);
    }
    if (error_) std::rethrow_exception(error_);
}

void TaskGroup::cancel() {
    state_->stop.request_stop();
}

bool TaskGroup::isCancelled() const {
    return state_->stop.stop_requested();
}

std::stop_token TaskGroup::stopToken() const {
    return state_->stop.get_token();
}

void TaskGroup::waitForChildren() {
    // On a worker of the same pool, blocking could starve the children of
    // threads; run queued work instead until none is left to take.
    if (pool_.isWorkerThread()) {
        while (!state_->allFinished() && pool_.runPendingTask()) {
        }
    }
    std::unique_lock lock(state_->mutex);
    state_->finished.wait(lock, [&] { return state_->running == 0; });
}

} // namespace platform
