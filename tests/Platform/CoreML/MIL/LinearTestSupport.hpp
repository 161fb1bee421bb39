#pragma once
// What the linear family's tests share: seeded random tensors, one-result
// calls, tolerant comparison with a reference, and checks of failures.

#include "tests/Platform/CoreML/MIL/KernelHarness.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace lineartest {

using miltest::Arg;
using platform::coreml::mil::DataType;
using platform::coreml::mil::Shape;
using platform::coreml::mil::Tensor;

inline std::int64_t countOf(const Shape& shape) {
    std::int64_t count = 1;
    for (const auto size : shape) {
        count *= size;
    }
    return count;
}

// Values in [−1, 1], the same for the same seed.
inline std::vector<float> randomValues(std::int64_t count, std::uint32_t seed) {
    return miltest::randomFloats(static_cast<std::size_t>(count), seed, 1.0f);
}

inline Tensor randomTensor(const Shape& shape, std::uint32_t seed, DataType type = DataType::fp32) {
    return miltest::floats(shape, randomValues(countOf(shape), seed), type);
}

inline Tensor runOne(const std::string& opType, const std::vector<Arg>& args) { return miltest::one(opType, args); }

// `actual` has `shape` and every element lies within `tolerance` (relative
// beyond magnitude 1) of `expected`; reports the first element that does not.
inline void expectClose(const Tensor& actual, const Shape& shape, const std::vector<float>& expected,
                        float tolerance = 1e-4f) {
    ASSERT_EQ(actual.shape(), shape);
    const auto values = actual.floatValues();
    ASSERT_EQ(values.size(), expected.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!(std::abs(values[i] - expected[i]) <= tolerance * std::max(1.0f, std::abs(expected[i])))) {
            ADD_FAILURE() << "element " << i << " is " << values[i] << ", expected " << expected[i];
            return;
        }
    }
}

using miltest::expectFailure;

} // namespace lineartest
