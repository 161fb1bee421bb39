#pragma once
// What a recognition stage throws when its caller asked it to stop, and the
// check made at the points where a stage may stop.

#include "Platform/Core/Error.hpp"

#include <stop_token>

namespace razeziruzer {

class CancellationError : public platform::Error {
public:
    CancellationError() : Error("The operation was cancelled.") {}
};

inline void checkCancellation(const std::stop_token& stop) {
    if (stop.stop_requested()) throw CancellationError();
}

} // namespace razeziruzer
