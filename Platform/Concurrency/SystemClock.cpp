#include "Platform/Concurrency/SystemClock.hpp"

namespace platform {

Clock::TimePoint SystemClock::now() const {
    return std::chrono::steady_clock::now();
}

SystemClock& SystemClock::shared() {
    static SystemClock clock;
    return clock;
}

} // namespace platform
