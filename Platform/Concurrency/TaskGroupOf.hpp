#pragma once
// A TaskGroup whose children return values: wait() gives them back in the
// order the children were spawned (or rethrows the first error).

#include "Platform/Concurrency/TaskGroup.hpp"

#include <deque>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

namespace platform {

template <typename T>
class TaskGroupOf {
public:
    using Child = std::function<T(std::stop_token)>;

    explicit TaskGroupOf(ThreadPool& pool = ThreadPool::shared(), std::stop_token outside = {})
        : group_(pool, std::move(outside)) {}

    void spawn(Child child) {
        // A deque never moves its elements, so each child can keep writing to its own slot.
        auto& slot = results_.emplace_back();
        group_.spawn([&slot, child = std::move(child)](std::stop_token stop) { slot = child(std::move(stop)); });
    }

    std::vector<T> wait() {
        group_.wait();
        std::vector<T> values;
        values.reserve(results_.size());
        for (auto& slot : results_) values.push_back(std::move(*slot));
        results_.clear();
        return values;
    }

    void cancel() { group_.cancel(); }
    bool isCancelled() const { return group_.isCancelled(); }
    std::stop_token stopToken() const { return group_.stopToken(); }

private:
    std::deque<std::optional<T>> results_;
    TaskGroup group_; // last: its destructor waits for children writing to results_
};

} // namespace platform
