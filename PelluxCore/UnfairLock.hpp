#pragma once
// A mutual-exclusion lock used through one scoped operation. Not re-entrant:
// a body must not take the same lock again.

#include <mutex>
#include <type_traits>

namespace pelluxcore {

class UnfairLock {
public:
    UnfairLock() = default;
    UnfairLock(const UnfairLock&) = delete;
    UnfairLock& operator=(const UnfairLock&) = delete;

    // Runs the body under the lock and returns its result; an exception of the
    // body leaves after the lock is released.
    template <typename Body>
    auto withLock(Body&& body) -> std::invoke_result_t<Body&> {
        std::lock_guard guard(mutex_);
        return body();
    }

private:
    std::mutex mutex_;
};

} // namespace pelluxcore
