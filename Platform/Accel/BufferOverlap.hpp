#pragma once
// Whether two spans share any memory; used to reject in-place calls to
// routines that read their input after writing their output.

#include <cstdint>
#include <span>

namespace platform::accel {

template <typename A, typename B>
bool buffersOverlap(std::span<A> a, std::span<B> b) {
    if (a.empty() || b.empty()) return false;
    const auto aBegin = reinterpret_cast<std::uintptr_t>(a.data());
    const auto bBegin = reinterpret_cast<std::uintptr_t>(b.data());
    return aBegin < bBegin + b.size_bytes() && bBegin < aBegin + a.size_bytes();
}

} // namespace platform::accel
