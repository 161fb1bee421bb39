#pragma once
// Float exp, log, sigmoid, tanh, erf and the activations built on them, as
// straight-line arithmetic without branches or library calls, so that a loop
// over them vectorises (given -fno-trapping-math, as VectorMathArrays.cpp is
// built, or the compiler keeps the selects as branches). Each stays within a
// few ulp of the C library and keeps its special values: NaN gives NaN,
// infinities and large inputs saturate, exp overflows to inf and underflows
// through the subnormals to 0.

#include <bit>
#include <cstdint>
#include <limits>

namespace platform::coreml::mil::vmath {

namespace detail {

inline std::uint32_t bitsOf(float v) { return std::bit_cast<std::uint32_t>(v); }
inline float floatOf(std::uint32_t bits) { return std::bit_cast<float>(bits); }

inline float magnitude(float v) { return floatOf(bitsOf(v) & 0x7fffffffu); }

// `v` with the sign of `sign`.
inline float withSignOf(float v, float sign) {
    return floatOf((bitsOf(v) & 0x7fffffffu) | (bitsOf(sign) & 0x80000000u));
}

// 2^n for n in [-126, 127].
inline float powerOfTwo(std::int32_t n) { return floatOf((static_cast<std::uint32_t>(n) + 127u) << 23); }

// log(x · 2^-shift) for positive, finite, normal x: x = m·2^e with m in
// [√½, √2), then a polynomial in m - 1 (which is exact).
inline float logOfNormal(float x, std::int32_t shift = 0) {
    const auto bits = bitsOf(x);
    auto exponent = static_cast<std::int32_t>(bits >> 23) - 126 - shift;
    auto m = floatOf((bits & 0x007fffffu) | 0x3f000000u); // [0.5, 1)
    const bool low = m < 0.70710678f;
    exponent = low ? exponent - 1 : exponent;
    m = low ? m + m : m;
    const float f = m - 1.0f;
    const float z = f * f;
    float p = 7.0376836292e-2f;
    p = p * f - 1.1514610310e-1f;
    p = p * f + 1.1676998740e-1f;
    p = p * f - 1.2420140846e-1f;
    p = p * f + 1.4249322787e-1f;
    p = p * f - 1.6668057665e-1f;
    p = p * f + 2.0000714765e-1f;
    p = p * f - 2.4999993993e-1f;
    p = p * f + 3.3333331174e-1f;
    const auto e = static_cast<float>(exponent);
    // log 2 in two parts, the first exact when multiplied by any exponent.
    const float tail = p * f * z + e * -2.12194440e-4f - 0.5f * z;
    return (f + tail) + e * 0.693359375f;
}

} // namespace detail

inline float exp(float x) {
    // Past these bounds the result is inf or 0 anyway; comparisons with NaN
    // are false, so NaN passes through.
    x = x < -104.0f ? -104.0f : x;
    x = x > 89.0f ? 89.0f : x;
    // Adding 1.5·2^23 rounds x·log2(e) to the integer n in the low mantissa bits.
    constexpr float shifter = 12582912.0f;
    const float shifted = x * 1.44269504f + shifter;
    const float n = shifted - shifter;
    const float r = (x - n * 0.693359375f) - n * -2.12194440e-4f; // |r| <= ln(2)/2
    float p = 1.9875691500e-4f;
    p = p * r + 1.3981999507e-3f;
    p = p * r + 8.3334519073e-3f;
    p = p * r + 4.1665795894e-2f;
    p = p * r + 1.6666665459e-1f;
    p = p * r + 5.0000001201e-1f;
    const float e = p * (r * r) + r + 1.0f;
    // 2^n in two halves, each a normal float, so that subnormal results are
    // rounded once and n = 128 still overflows to inf.
    const auto whole = static_cast<std::int32_t>(detail::bitsOf(shifted) - detail::bitsOf(shifter));
    const std::int32_t half = whole >> 1;
    return e * detail::powerOfTwo(half) * detail::powerOfTwo(whole - half);
}

// Natural logarithm: -inf at ±0, NaN below 0, inf at inf.
inline float log(float x) {
    constexpr float smallestNormal = std::numeric_limits<float>::min();
    const bool subnormal = x < smallestNormal;
    const float scaled = subnormal ? x * 33554432.0f : x; // 2^25
    const float y = detail::logOfNormal(scaled, subnormal ? 25 : 0);
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float special = x == 0.0f ? -inf : (x == inf ? inf : std::numeric_limits<float>::quiet_NaN());
    return x > 0.0f && x < inf ? y : special;
}

// 1 / (1 + e^-x), with e^-|x| in the denominator so that it never overflows.
inline float sigmoid(float x) {
    const float e = exp(-detail::magnitude(x));
    const float numerator = x >= 0.0f ? 1.0f : e;
    return numerator / (1.0f + e);
}

inline float tanh(float x) {
    // Near zero an odd polynomial; elsewhere (1 - e^-2|x|) / (1 + e^-2|x|),
    // which reaches 1 exactly once e^-2|x| is below half an ulp of 1. The
    // sign is copied last so that -0 stays -0.
    const float z = x * x;
    float p = -5.70498872745e-3f;
    p = p * z + 2.06390887954e-2f;
    p = p * z - 5.37397155531e-2f;
    p = p * z + 1.33314422036e-1f;
    p = p * z - 3.33332819422e-1f;
    const float near = p * z * x + x;
    const float ax = detail::magnitude(x);
    const float e = exp(-2.0f * ax);
    const float far = (1.0f - e) / (1.0f + e);
    return detail::withSignOf(ax < 0.625f ? near : far, x);
}

inline float erf(float x) {
    // Below 1: x + x·Q(x²). From 1 to 4: 1 - e^-x²·H(x), where H fits
    // erfc(x)·e^x² weighted by e^-x²; past 4, erf rounds to ±1.
    const float z = x * x;
    float q = 7.882497448e-05f;
    q = q * z - 8.018855006e-04f;
    q = q * z + 5.189312156e-03f;
    q = q * z - 2.685432881e-02f;
    q = q * z + 1.128359735e-01f;
    q = q * z - 3.761262596e-01f;
    q = q * z + 1.283791661e-01f;
    const float near = x + x * q;
    const float ax = detail::magnitude(x);
    const float c = ax > 4.0f ? 4.0f : ax;
    const float t = c - 2.5f;
    float h = 1.027894978e-04f;
    h = h * t + 2.019995009e-04f;
    h = h * t + 4.935220350e-04f;
    h = h * t - 7.082644152e-04f;
    h = h * t + 2.291431651e-03f;
    h = h * t - 8.119704202e-03f;
    h = h * t + 2.492334507e-02f;
    h = h * t - 7.434079051e-02f;
    h = h * t + 2.108075470e-01f;
    const float far = 1.0f - exp(-(c * c)) * h;
    return detail::withSignOf(ax < 1.0f ? near : far, x);
}

// log(1 + e^x) = max(x, 0) + log1p(e^-|x|); log1p adds back the rounding of 1 + e.
inline float softplus(float x) {
    const float e = exp(-detail::magnitude(x));
    const float u = 1.0f + e;
    const float log1p = detail::logOfNormal(u) + (e - (u - 1.0f)) / u;
    return (x < 0.0f ? 0.0f : x) + log1p;
}

inline float silu(float x) { return x * sigmoid(x); }

// The three forms of gelu: with erf, with tanh (as x·sigmoid(2u), the same
// value without cancelling 1 + tanh), and with sigmoid(1.702x).
inline float geluErf(float x) { return 0.5f * x * (1.0f + erf(x * 0.707106781f)); }

inline float geluTanh(float x) {
    // 2·√(2/π) and 2·√(2/π)·0.044715
    return x * sigmoid(x * (1.59576912f + 0.0713548162f * (x * x)));
}

inline float geluSigmoid(float x) { return x * sigmoid(1.702f * x); }

} // namespace platform::coreml::mil::vmath
