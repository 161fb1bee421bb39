#pragma once
// Small makers and checks for the shape and indexing kernel tests.

#include "tests/Platform/CoreML/MIL/KernelHarness.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace miltest {

// 0, 1, 2, ... in row-major order, held as the storage of `type`.
inline Tensor iota(Shape shape, DataType type = DataType::fp32) {
    return Tensor::floats(DataType::fp32, shape, [&] {
               std::vector<float> values(static_cast<std::size_t>(platform::coreml::mil::elementCount(shape)));
               for (std::size_t i = 0; i < values.size(); ++i) {
                   values[i] = static_cast<float>(i);
               }
               return values;
           }())
        .convertedTo(type);
}

inline Tensor int64s(std::vector<std::int64_t> values) {
    std::vector<std::int32_t> narrow(values.begin(), values.end());
    return ints({static_cast<std::int64_t>(narrow.size())}, narrow);
}

inline Tensor flags(std::vector<std::uint8_t> values) {
    const auto count = static_cast<std::int64_t>(values.size());
    return bools({count}, std::move(values));
}

inline std::vector<double> valuesOf(const Tensor& tensor) {
    std::vector<double> values;
    for (std::int64_t i = 0; i < tensor.count(); ++i) {
        values.push_back(tensor.numberAt(i));
    }
    return values;
}

inline void expectTensor(const Tensor& actual, const Shape& shape, const std::vector<double>& values) {
    EXPECT_EQ(actual.shape(), shape);
    EXPECT_EQ(valuesOf(actual), values);
}

inline void expectNear(const Tensor& actual, const Shape& shape, const std::vector<double>& values) {
    EXPECT_EQ(actual.shape(), shape);
    const auto got = valuesOf(actual);
    ASSERT_EQ(got.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_NEAR(got[i], values[i], 1e-5) << "element " << i;
    }
}

// The single result of `opType`.
inline Tensor runOne(const std::string& opType, const std::vector<Arg>& arguments,
                     const std::vector<ValueType>& results = {}) {
    auto outputs = runKernel(opType, arguments, results);
    EXPECT_EQ(outputs.size(), 1u);
    return outputs.empty() ? Tensor() : outputs.front();
}

} // namespace miltest
