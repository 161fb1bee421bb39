#pragma once
// Watches a condition for a few microseconds before a thread goes to sleep on
// it: waking a sleeping thread costs more than the short waits of a parallel
// loop, and a spinning thread sees the change at once.

#include <chrono>
#include <thread>

namespace platform {

// Returns true as soon as done() holds, false once `limit` has passed.
template <typename Done>
bool spinBriefly(Done&& done, std::chrono::microseconds limit = std::chrono::microseconds(50)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (int round = 0; !done(); ++round) {
        if (round % 64 == 63 && std::chrono::steady_clock::now() >= until) {
            return false;
        }
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#else
        std::this_thread::yield();
#endif
    }
    return true;
}

} // namespace platform
