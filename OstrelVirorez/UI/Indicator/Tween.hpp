#pragma once
// One animated number: a move from one value to another over a duration
// along a timing curve, played once, looped, or back and forth forever. Pure:
// its value is read for a given instant, so any clock (virtual in tests) can
// drive it.

#include "Platform/Concurrency/Clock.hpp"

#include <chrono>

namespace ostrelvirorez {

enum class Curve { linear, easeIn, easeOut, easeInOut };
enum class Repeat { once, loop, autoreverse };

// The progress along `curve` (the usual cubic timing curves) for a time
// fraction 0…1.
double ease(Curve curve, double fraction);

class Tween {
public:
    using TimePoint = platform::Clock::TimePoint;
    using Duration = platform::Clock::Duration;

    // Holds `value` for ever.
    static Tween hold(double value);
    static Tween between(double from, double to, TimePoint start, Duration duration, Curve curve,
                         Repeat repeat = Repeat::once);

    double value(TimePoint now) const;
    // A looping tween never finishes.
    bool isFinished(TimePoint now) const;
    double target() const { return to_; }

private:
    double from_ = 0;
    double to_ = 0;
    TimePoint start_{};
    Duration duration_{};
    Curve curve_ = Curve::linear;
    Repeat repeat_ = Repeat::once;
};

} // namespace ostrelvirorez
