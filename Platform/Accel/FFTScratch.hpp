#pragma once
// Per-thread complex work buffers for the split-array FFT forms, which
// interleave their input, run the interleaved plan and split the result.
// Each thread owns its buffers, so concurrent callers never share one.

#include <complex>
#include <cstddef>
#include <span>
#include <vector>

namespace platform::accel {

// Slot 0 and slot 1 are distinct buffers of at least count values, valid
// until the same thread asks for that slot again.
inline std::span<std::complex<float>> fftScratch(int slot, std::size_t count) {
    thread_local std::vector<std::complex<float>> buffers[2];
    auto& buffer = buffers[slot];
    if (buffer.size() < count) buffer.resize(count);
    return std::span(buffer).first(count);
}

} // namespace platform::accel
