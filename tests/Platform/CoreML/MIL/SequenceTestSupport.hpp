#pragma once
// What the sequence family's tests share: seeded small values, edits of an
// argument list, and checks of results and failures.

#include "tests/Platform/CoreML/MIL/KernelHarness.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace sequencetest {

using miltest::Arg;
using platform::coreml::mil::Shape;
using platform::coreml::mil::Tensor;

// `count` values drawn evenly from [−scale, scale], the same for the same seed.
inline std::vector<float> smallValues(std::size_t count, std::uint32_t seed, float scale = 0.8F) {
    return miltest::randomFloats(count, seed, scale);
}

// `args` with `arg` in place of the argument of the same name (added when absent).
inline std::vector<Arg> replaced(std::vector<Arg> args, Arg arg) {
    const auto found = std::ranges::find(args, arg.name, &Arg::name);
    if (found == args.end()) {
        args.push_back(std::move(arg));
    } else {
        *found = std::move(arg);
    }
    return args;
}

inline std::vector<Arg> without(std::vector<Arg> args, const std::string& name) {
    std::erase_if(args, [&](const Arg& arg) { return arg.name == name; });
    return args;
}

using miltest::expectFailure;

inline void expectValues(const Tensor& actual, const Shape& shape, const std::vector<double>& expected,
                         double tolerance = 1e-5) {
    ASSERT_EQ(actual.shape(), shape);
    const auto values = actual.floatValues();
    ASSERT_EQ(values.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(values[i], expected[i], tolerance) << "element " << i;
    }
}

inline double largestDifference(const Tensor& actual, const std::vector<double>& expected) {
    double largest = 0;
    const auto values = actual.floatValues();
    for (std::size_t i = 0; i < std::min(values.size(), expected.size()); ++i) {
        largest = std::max(largest, std::abs(values[i] - expected[i]));
    }
    return largest;
}

} // namespace sequencetest
