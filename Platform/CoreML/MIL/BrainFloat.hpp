#pragma once
// Conversion between float32 and bfloat16 (the upper half of a float32),
// rounding to nearest even; a NaN stays a quiet NaN.

#include <bit>
#include <cmath>
#include <cstdint>

namespace platform::coreml::mil {

inline std::uint16_t floatToBrainFloat(float value) {
    if (std::isnan(value)) {
        return static_cast<std::uint16_t>((std::bit_cast<std::uint32_t>(value) >> 16) | 0x40u);
    }
    auto bits = std::bit_cast<std::uint32_t>(value);
    bits += 0x7FFFu + ((bits >> 16) & 1u);
    return static_cast<std::uint16_t>(bits >> 16);
}

inline float brainFloatToFloat(std::uint16_t bits) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(bits) << 16);
}

} // namespace platform::coreml::mil
