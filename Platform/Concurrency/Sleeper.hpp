#pragma once
// Waits for a duration on behalf of retries, polls and back-offs; injectable
// so tests can run in virtual time. A stop request ends the wait early.

#include "Platform/Concurrency/Clock.hpp"

#include <stop_token>

namespace platform {

enum class SleepResult {
    completed, // the whole duration passed
    cancelled, // stop was requested first (or already before the call)
};

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual SleepResult sleepFor(Clock::Duration duration, std::stop_token stop = {}) = 0;
};

} // namespace platform
