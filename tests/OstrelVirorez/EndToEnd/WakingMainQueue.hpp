#pragma once
// A main queue in virtual time that a test can wait on: the application's
// timers run only when the test advances time, while work that other threads
// post (X events, sound server blocks, background results) wakes a waiting
// test at once. So the test waits for events, never for a fixed time.

#include "Platform/Concurrency/ManualMainQueue.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace ostrelvirorez::endtoend {

class WakingMainQueue final : public platform::MainQueue {
public:
    void post(Task task) override;
    platform::TimerHandle postAfter(platform::Clock::Duration delay, Task task) override;
    bool isCurrent() const override { return queue_.isCurrent(); }

    void runUntilIdle() { queue_.runUntilIdle(); }
    void advance(platform::Clock::Duration by) { queue_.advance(by); }

    // Runs due tasks until `condition` holds, sleeping between rounds until
    // something is posted; false when `limit` of real time passes first.
    bool runUntil(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(20));

private:
    platform::ManualMainQueue queue_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::uint64_t postCount_ = 0;
};

} // namespace ostrelvirorez::endtoend
