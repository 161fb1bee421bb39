#pragma once
// IEEE half-precision values stored as their 16 raw bits, and conversion to
// and from float32 with round-to-nearest-even, subnormals, infinities and NaN
// handled by the compiler's native half type.

#include <cstdint>
#include <cstring>
#include <span>

namespace platform::accel {

inline float halfToFloat(std::uint16_t bits) {
    _Float16 half;
    std::memcpy(&half, &bits, sizeof half);
    return static_cast<float>(half);
}

inline std::uint16_t floatToHalf(float value) {
    const auto half = static_cast<_Float16>(value);
    std::uint16_t bits;
    std::memcpy(&bits, &half, sizeof bits);
    return bits;
}

// Whole-buffer conversions; source and destination have the same length.
void convertHalfToFloat(std::span<const std::uint16_t> source, std::span<float> destination);
void convertFloatToHalf(std::span<const float> source, std::span<std::uint16_t> destination);

} // namespace platform::accel
