#pragma once
// The source of "now" for every timed behaviour, injectable so tests can run
// in virtual time. Time is monotonic; it never goes backwards.

#include <chrono>

namespace platform {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
};

// `from + delay` without overflow: huge delays saturate to the far future and
// negative delays count as none.
inline Clock::TimePoint deadlineAfter(Clock::TimePoint from, Clock::Duration delay) {
    if (delay <= Clock::Duration::zero()) return from;
    if (delay >= Clock::TimePoint::max() - from) return Clock::TimePoint::max();
    return from + delay;
}

} // namespace platform
