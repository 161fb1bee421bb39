#include "Platform/CoreML/MIL/Ops/VectorMathArrays.hpp"

#include "Platform/Accel/TargetClones.hpp"
#include "Platform/CoreML/MIL/Ops/VectorMath.hpp"

#include <array>
#include <cstddef>
#include <limits>

// Every function here is a loop the compiler vectorises; cloning it per
// instruction-set level lets the same source use 512- or 256-bit registers and
// fused multiply-adds where the processor has them.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define VMATH_CLONES OSTREL_TARGET_CLONES("arch=x86-64-v4", "arch=x86-64-v3", "default")
#else
#define VMATH_CLONES
#endif

namespace platform::coreml::mil::vmath {
namespace {

// Independent partial results, so that reductions run on vector lanes.
constexpr std::size_t lanes = 16;

template <class F>
[[gnu::always_inline]] inline void map(std::span<const float> in, std::span<float> out, F f) {
    const float* source = in.data();
    float* target = out.data();
    const auto count = in.size();
    for (std::size_t i = 0; i < count; ++i) {
        target[i] = f(source[i]);
    }
}

} // namespace

VMATH_CLONES void exp(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::exp(v); });
}
VMATH_CLONES void log(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::log(v); });
}
VMATH_CLONES void sigmoid(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::sigmoid(v); });
}
VMATH_CLONES void tanh(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::tanh(v); });
}
VMATH_CLONES void erf(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::erf(v); });
}
VMATH_CLONES void softplus(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::softplus(v); });
}
VMATH_CLONES void silu(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::silu(v); });
}
VMATH_CLONES void geluErf(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::geluErf(v); });
}
VMATH_CLONES void geluTanh(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::geluTanh(v); });
}
VMATH_CLONES void geluSigmoid(std::span<const float> in, std::span<float> out) {
    map(in, out, [](float v) { return vmath::geluSigmoid(v); });
}

VMATH_CLONES float largestOf(std::span<const float> values) {
    constexpr float lowest = -std::numeric_limits<float>::infinity();
    std::array<float, lanes> partial;
    partial.fill(lowest);
    const float* data = values.data();
    const auto count = values.size();
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes) {
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            partial[lane] = partial[lane] < data[i + lane] ? data[i + lane] : partial[lane];
        }
    }
    float largest = lowest;
    for (; i < count; ++i) {
        largest = largest < data[i] ? data[i] : largest;
    }
    for (const auto value : partial) {
        largest = largest < value ? value : largest;
    }
    return largest;
}

VMATH_CLONES double expShifted(std::span<const float> in, std::span<float> out, float shift) {
    const float* source = in.data();
    float* target = out.data();
    const auto count = in.size();
    for (std::size_t i = 0; i < count; ++i) {
        target[i] = vmath::exp(source[i] - shift);
    }
    std::array<double, lanes> partial{};
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes) {
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            partial[lane] += target[i + lane];
        }
    }
    double sum = 0;
    for (; i < count; ++i) {
        sum += target[i];
    }
    for (const auto value : partial) {
        sum += value;
    }
    return sum;
}

VMATH_CLONES void scale(std::span<float> values, float factor) {
    for (auto& value : values) {
        value *= factor;
    }
}

} // namespace platform::coreml::mil::vmath
