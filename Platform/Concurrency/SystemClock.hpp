#pragma once
// The real monotonic clock.

#include "Platform/Concurrency/Clock.hpp"

namespace platform {

class SystemClock final : public Clock {
public:
    TimePoint now() const override;

    static SystemClock& shared();
};

} // namespace platform
