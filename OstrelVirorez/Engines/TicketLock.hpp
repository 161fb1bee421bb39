#pragma once
// A mutex that admits waiting threads in the order they asked for it, so
// queued requests are served first come, first served. Meets Lockable.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace ostrelvirorez {

class TicketLock {
public:
    void lock() {
        std::unique_lock guard(mutex_);
        const auto ticket = nextTicket_++;
        turn_.wait(guard, [&] { return serving_ == ticket; });
    }

    void unlock() {
        {
            std::lock_guard guard(mutex_);
            ++serving_;
        }
        turn_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable turn_;
    std::uint64_t nextTicket_ = 0;
    std::uint64_t serving_ = 0;
};

} // namespace ostrelvirorez
