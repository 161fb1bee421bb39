#pragma once
// What long-running work throws when its caller asked it to stop, and the
// check made at the points where it may stop.

#include "Platform/Core/Error.hpp"

#include <stop_token>

namespace platform {

class CancellationError : public Error {
public:
    CancellationError() : Error("The operation was cancelled.") {}
};

inline void checkCancellation(const std::stop_token& stop) {
    if (stop.stop_requested()) throw CancellationError();
}

} // namespace platform
