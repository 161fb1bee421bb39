#pragma once
// Small helpers for the whole-program tests: random values, arrays in and out,
// plain-loop references.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace miltest {

std::vector<float> randomValues(std::size_t count, std::uint32_t seed, float scale = 0.5f);
// The values as half precision holds them.
std::vector<float> roundedToHalf(std::vector<float> values);
platform::coreml::MLMultiArray floatArray(std::vector<std::int64_t> shape, const std::vector<float>& values,
                                          platform::coreml::MLMultiArrayDataType type = platform::coreml::MLMultiArrayDataType::float32);
std::vector<float> valuesOf(const platform::coreml::MLMultiArray& array);
void expectNear(const std::vector<float>& actual, const std::vector<float>& expected, float tolerance);

// y[r][o] = sum_i x[r][i] * w[o][i] + b[o]; b may be empty.
std::vector<float> linearReference(const std::vector<float>& x, std::size_t rows, const std::vector<float>& w,
                                   const std::vector<float>& b, std::size_t in, std::size_t out);

// "tensor<int32, [2]>([1, 2])" and the like, for inline arguments.
std::string intsValue(const std::vector<std::int64_t>& values);

} // namespace miltest
