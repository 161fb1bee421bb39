#pragma once
// Virtual time for tests: a clock that moves only when the test advances it,
// and a sleeper that parks the sleeping thread until virtual time reaches its
// deadline or stop is requested. Tests can wait for sleepers to park and read
// back every duration that was asked for.

#include "Platform/Concurrency/Clock.hpp"
#include "Platform/Concurrency/Sleeper.hpp"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

namespace platform {

class ManualClock final : public Clock, public Sleeper {
public:
    explicit ManualClock(TimePoint start = TimePoint{});

    TimePoint now() const override;

    // Moves time forward and wakes every sleeper whose deadline is reached;
    // woken sleepers stop counting as parked before this returns.
    void advance(Duration by);
    // Moves time to `to`; an earlier time is ignored (time never goes back).
    void advanceTo(TimePoint to);

    SleepResult sleepFor(Duration duration, std::stop_token stop = {}) override;

    std::size_t parkedSleepers() const;
    // Blocks until at least `count` threads are parked in sleepFor. The real
    // time limit only guards against a hung test; false means it ran out.
    bool waitForParkedSleepers(std::size_t count,
                               std::chrono::milliseconds limit = std::chrono::seconds(30)) const;
    // Every duration passed to sleepFor, in call order.
    std::vector<Duration> sleptDurations() const;

private:
    struct Parked {
        TimePoint deadline;
        bool woken = false;
    };

    void moveTo(TimePoint to); // with mutex_ held

    mutable std::mutex mutex_;
    mutable std::condition_variable_any changed_;
    TimePoint now_;
    std::vector<Parked*> parked_; // each lives on its sleeping thread's stack
    std::vector<Duration> slept_;
};

} // namespace platform
