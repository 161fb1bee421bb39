#pragma once
// ln(e^a + e^b) without overflow; minus infinity stands for probability 0.

#include <cmath>
#include <limits>

namespace razeziruzer {

inline float logAddExp(float a, float b) {
    constexpr float minusInfinity = -std::numeric_limits<float>::infinity();
    if (a == minusInfinity) return b;
    if (b == minusInfinity) return a;
    const float m = a > b ? a : b;
    return std::log(std::exp(a - m) + std::exp(b - m)) + m;
}

} // namespace razeziruzer
