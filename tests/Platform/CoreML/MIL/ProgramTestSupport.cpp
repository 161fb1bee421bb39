#include "tests/Platform/CoreML/MIL/ProgramTestSupport.hpp"
#include "Platform/Accel/Float16.hpp"

#include "tests/Platform/CoreML/MIL/KernelHarness.hpp"

#include <random>

namespace miltest {

using platform::coreml::MLMultiArray;

std::vector<float> randomValues(std::size_t count, std::uint32_t seed, float scale) {
    return randomFloats(count, seed, scale);
}

std::vector<float> roundedToHalf(std::vector<float> values) {
    for (auto& value : values) {
        value = static_cast<float>(static_cast<platform::accel::NativeHalf>(value));
    }
    return values;
}

MLMultiArray floatArray(std::vector<std::int64_t> shape, const std::vector<float>& values,
                        platform::coreml::MLMultiArrayDataType type) {
    MLMultiArray array(std::move(shape), type);
    for (std::size_t i = 0; i < values.size(); ++i) {
        array[static_cast<std::int64_t>(i)] = values[i];
    }
    return array;
}

std::vector<float> valuesOf(const MLMultiArray& array) {
    std::vector<float> values(static_cast<std::size_t>(array.count()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = array[static_cast<std::int64_t>(i)].floatValue();
    }
    return values;
}

void expectNear(const std::vector<float>& actual, const std::vector<float>& expected, float tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
    }
}

std::vector<float> linearReference(const std::vector<float>& x, std::size_t rows, const std::vector<float>& w,
                                   const std::vector<float>& b, std::size_t in, std::size_t out) {
    std::vector<float> y(rows * out);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t o = 0; o < out; ++o) {
            float sum = b.empty() ? 0.0f : b[o];
            for (std::size_t i = 0; i < in; ++i) {
                sum += x[r * in + i] * w[o * in + i];
            }
            y[r * out + o] = sum;
        }
    }
    return y;
}

std::string intsValue(const std::vector<std::int64_t>& values) {
    std::string list;
    for (std::size_t i = 0; i < values.size(); ++i) {
        list += (i == 0 ? "" : ", ") + std::to_string(values[i]);
    }
    return "tensor<int32, [" + std::to_string(values.size()) + "]>([" + list + "])";
}

} // namespace miltest
