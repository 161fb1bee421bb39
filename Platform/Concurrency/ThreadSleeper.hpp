#pragma once
// Sleeps the calling thread in real time, waking as soon as stop is requested.

#include "Platform/Concurrency/Sleeper.hpp"

namespace platform {

class ThreadSleeper final : public Sleeper {
public:
    SleepResult sleepFor(Clock::Duration duration, std::stop_token stop = {}) override;

    static ThreadSleeper& shared();
};

} // namespace platform
