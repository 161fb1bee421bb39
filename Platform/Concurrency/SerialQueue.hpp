#pragma once
// Confines an actor-like object to one thread: tasks run one at a time in the
// order they were queued. sync() waits for its task and returns its value or
// rethrows its error; called from a task on this queue it runs inline.
// Destroying the queue runs the tasks already queued, then stops its thread.

#include "Platform/Concurrency/ThreadPool.hpp"

#include <functional>
#include <type_traits>

namespace platform {

class SerialQueue {
public:
    using Task = std::function<void()>;

    // Fire and forget: an exception the task throws is logged as a fault.
    void async(Task task) { thread_.execute(std::move(task)); }

    template <typename Function>
    auto sync(Function function) -> std::invoke_result_t<Function&> {
        if (isCurrent()) return function();
        return thread_.submit(std::move(function)).get();
    }

    bool isCurrent() const { return thread_.isWorkerThread(); }

private:
    ThreadPool thread_{1}; // one worker taking tasks in order is exactly a serial queue
};

} // namespace platform
