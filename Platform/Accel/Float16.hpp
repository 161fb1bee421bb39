#pragma once
// IEEE half-precision values stored as their 16 raw bits, and conversion to
// and from float32 with round-to-nearest-even, subnormals, infinities and NaN
// handled by the compiler's native half type.

#include <cstdint>
#include <cstring>
#include <span>

namespace platform::accel {

#if defined(__clang__) && __clang_major__ < 15
// Clang before 15 has no _Float16 on x86, and its storage-only __fp16 needs
// runtime helpers libgcc lacks: convert in software, with the same results
// (round to nearest even, subnormals, infinities, NaN kept as NaN).
inline float halfToFloat(std::uint16_t bits) {
    constexpr std::uint32_t shiftedExponent = 0x7C00u << 13;
    std::uint32_t out = (bits & 0x7FFFu) << 13;
    const std::uint32_t exponent = shiftedExponent & out;
    out += (127u - 15u) << 23;
    if (exponent == shiftedExponent) {
        out += (128u - 16u) << 23;
    } else if (exponent == 0) {
        out += 1u << 23;
        float value;
        std::memcpy(&value, &out, sizeof value);
        value -= 6.103515625e-05f; // 2^-14, the smallest normal half
        std::memcpy(&out, &value, sizeof out);
    }
    out |= static_cast<std::uint32_t>(bits & 0x8000u) << 16;
    float result;
    std::memcpy(&result, &out, sizeof result);
    return result;
}

inline std::uint16_t floatToHalf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const auto sign = static_cast<std::uint16_t>((bits >> 16) & 0x8000u);
    std::uint32_t magnitude = bits & 0x7FFFFFFFu;
    if (magnitude >= 0x47800000u) { // beyond the largest half, infinity or NaN
        return sign | (magnitude > 0x7F800000u ? 0x7E00u : 0x7C00u);
    }
    if (magnitude < 0x38800000u) { // a half subnormal or zero: let float addition round
        float scaled;
        std::memcpy(&scaled, &magnitude, sizeof scaled);
        scaled += 0.5f;
        std::uint32_t rounded;
        std::memcpy(&rounded, &scaled, sizeof rounded);
        return sign | static_cast<std::uint16_t>(rounded - 0x3F000000u);
    }
    const std::uint32_t odd = (magnitude >> 13) & 1u;
    magnitude += 0xC8000FFFu + odd; // rebias the exponent and round to nearest even
    return sign | static_cast<std::uint16_t>(magnitude >> 13);
}

// For code that rounds through half precision, e.g. test data.
struct NativeHalf {
    NativeHalf(float value) : bits(floatToHalf(value)) {}
    NativeHalf(double value) : bits(floatToHalf(static_cast<float>(value))) {}
    operator float() const { return halfToFloat(bits); }
    operator double() const { return halfToFloat(bits); }
    std::uint16_t bits;
};
#else
using NativeHalf = _Float16;

inline float halfToFloat(std::uint16_t bits) {
    NativeHalf half;
    std::memcpy(&half, &bits, sizeof half);
    return static_cast<float>(half);
}

inline std::uint16_t floatToHalf(float value) {
    const auto half = static_cast<NativeHalf>(value);
    std::uint16_t bits;
    std::memcpy(&bits, &half, sizeof bits);
    return bits;
}
#endif

// Whole-buffer conversions; source and destination have the same length.
void convertHalfToFloat(std::span<const std::uint16_t> source, std::span<float> destination);
void convertFloatToHalf(std::span<const float> source, std::span<std::uint16_t> destination);

} // namespace platform::accel
