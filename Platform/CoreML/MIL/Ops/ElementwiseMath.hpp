#pragma once
// Scalar functions several element-wise kernels share, written to stay finite
// where a naive formula overflows (softplus of large inputs). Whole-array
// transcendentals live in VectorMathArrays.hpp.

#include <algorithm>
#include <cmath>

namespace platform::coreml::mil {

inline float relu(float v) { return std::max(v, 0.0f); }

// -1, 0 or 1; zero and NaN pass through.
inline float sign(float v) { return v > 0 ? 1.0f : (v < 0 ? -1.0f : v); }

// log(1 + e^v)
inline float softplus(float v) { return std::max(v, 0.0f) + std::log1p(std::exp(-std::fabs(v))); }

// Halves go to the even neighbour: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
inline float roundHalfToEven(float v) {
    if (std::fabs(v - std::trunc(v)) == 0.5f) {
        return 2.0f * std::round(v / 2.0f);
    }
    return std::round(v);
}

} // namespace platform::coreml::mil
