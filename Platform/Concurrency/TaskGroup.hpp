#pragma once
// Child tasks run concurrently on a pool, sharing one stop token. The first
// child to throw requests stop for the others; wait() returns once every
// child has finished and rethrows that first error. A stop request on the
// token given at construction (or cancel()) stops the whole group; children
// see it through their token, and wait() then returns normally unless a
// child threw. Destroying a group stops it and waits for its children.

#include "Platform/Concurrency/ThreadPool.hpp"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace platform {

class TaskGroup {
public:
    using Child = std::function<void(std::stop_token)>;

    explicit TaskGroup(ThreadPool& pool = ThreadPool::shared(), std::stop_token outside = {});
    ~TaskGroup();
    TaskGroup(const TaskGroup&) = delete;
    TaskGroup& operator=(const TaskGroup&) = delete;

    // A child spawned after stop was requested still runs, with its token already stopped.
    void spawn(Child child);
    void wait();
    void cancel();
    bool isCancelled() const;
    std::stop_token stopToken() const;

private:
    struct State;

    void waitForChildren();

    ThreadPool& pool_;
    std::shared_ptr<State> state_;
    // The first error, taken from the state by wait(). A worker may drop the
    // state last; the error it rethrew to the waiting thread must then not
    // be freed with it on the worker, under the waiter's eyes.
    std::exception_ptr error_;
    std::optional<std::stop_callback<std::function<void()>>> forwardOutsideStop_;
};

} // namespace platform
