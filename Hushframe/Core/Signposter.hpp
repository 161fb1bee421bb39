#pragma once
// Performance-tracing intervals over a platform logger. This platform has no
// trace tool that receives signposts, so they are never enabled: an interval
// still gets its identifier and state, and no event is emitted.

#include "Platform/Core/Logger.hpp"

#include <atomic>
#include <cstdint>

namespace hushframe {

struct OSSignpostID {
    std::uint64_t rawValue = 0;
    bool operator==(const OSSignpostID&) const = default;
};

// An interval opened by Logging::beginSignpost and handed back to its end.
class OSSignpostIntervalState {
public:
    explicit OSSignpostIntervalState(OSSignpostID signpostID) : signpostID_(signpostID) {}

    OSSignpostID signpostID() const { return signpostID_; }

private:
    OSSignpostID signpostID_;
};

class OSSignposter {
public:
    explicit OSSignposter(const platform::Logger& logger) : logger_(logger) {}
    OSSignposter(const OSSignposter&) = delete;
    OSSignposter& operator=(const OSSignposter&) = delete;

    const platform::Logger& logger() const { return logger_; }
    bool isEnabled() const { return false; }
    OSSignpostID makeSignpostID() { return OSSignpostID{++lastID_}; }

private:
    const platform::Logger& logger_;
    std::atomic<std::uint64_t> lastID_{0};
};

} // namespace hushframe
