#include "tests/OstrelVirorez/EndToEnd/WakingMainQueue.hpp"

namespace ostrelvirorez::endtoend {

void WakingMainQueue::post(Task task) {
    queue_.post(std::move(task));
    {
        std::lock_guard lock(mutex_);
        ++postCount_;
    }
    posted_.notify_all();
}

platform::TimerHandle WakingMainQueue::postAfter(platform::Clock::Duration delay, Task task) {
    auto handle = queue_.postAfter(delay, std::move(task));
    {
        std::lock_guard lock(mutex_);
        ++postCount_;
    }
    posted_.notify_all();
    return handle;
}

bool WakingMainQueue::runUntil(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::uint64_t seen = 0;
        {
            std::lock_guard lock(mutex_);
            seen = postCount_;
        }
        queue_.runUntilIdle();
        if (condition()) return true;
        // A post made while the tasks ran is caught by the count taken before.
        std::unique_lock lock(mutex_);
        if (!posted_.wait_until(lock, deadline, [&] { return postCount_ != seen; })) {
            lock.unlock();
            queue_.runUntilIdle();
            return condition();
        }
    }
}

} // namespace ostrelvirorez::endtoend
