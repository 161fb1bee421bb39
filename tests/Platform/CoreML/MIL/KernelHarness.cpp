#include "tests/Platform/CoreML/MIL/KernelHarness.hpp"

#include "Platform/CoreML/MIL/OpCall.hpp"
#include "Platform/CoreML/MLModelError.hpp"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace miltest {

using namespace platform::coreml::mil;

std::vector<Tensor> runKernel(const std::string& opType, const std::vector<Arg>& arguments,
                              const std::vector<ValueType>& results) {
    const auto* definition = OpRegistry::standard().find(opType);
    if (definition == nullptr) {
        throw std::invalid_argument("no kernel for " + opType);
    }
    std::vector<OpArgument> bound;
    for (const auto& argument : arguments) {
        OpArgument entry{argument.name, {}};
        for (const auto& value : argument.values) {
            entry.values.push_back(&value);
        }
        bound.push_back(std::move(entry));
    }
    return definition->kernel(OpCall(opType, std::move(bound), results));
}

Tensor one(const std::string& opType, const std::vector<Arg>& arguments, const std::vector<ValueType>& results) {
    auto out = runKernel(opType, arguments, results);
    EXPECT_EQ(out.size(), 1u) << opType;
    return out.at(0);
}

void expectFailure(const std::string& opType, const std::vector<Arg>& arguments, const std::string& fragment) {
    try {
        runKernel(opType, arguments);
        ADD_FAILURE() << opType << " did not fail; expected \"" << fragment << "\"";
    } catch (const platform::coreml::MLModelError& error) {
        EXPECT_NE(std::string(error.what()).find(fragment), std::string::npos) << error.what();
    }
}

std::vector<float> randomFloats(std::size_t count, std::uint32_t seed, float scale) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> distribution(-scale, scale);
    std::vector<float> values(count);
    for (auto& value : values) {
        value = distribution(generator);
    }
    return values;
}

Tensor floats(Shape shape, std::vector<float> values, DataType type) { return Tensor::floats(type, std::move(shape), values); }
Tensor ints(Shape shape, std::vector<std::int32_t> values, DataType type) { return Tensor::ints(type, std::move(shape), values); }
Tensor bools(Shape shape, std::vector<std::uint8_t> values) { return Tensor::bools(std::move(shape), values); }
Tensor scalarInt(std::int64_t value) { return Tensor::scalar(DataType::int32, static_cast<double>(value)); }
Tensor scalarFloat(double value) { return Tensor::scalar(DataType::fp32, value); }
Tensor scalarBool(bool value) { return Tensor::scalar(DataType::boolean, value ? 1 : 0); }
Tensor text(std::string value) { return Tensor::text(std::move(value)); }

ValueType tensorType(DataType type, Shape shape) {
    ValueType result;
    result.dataType = type;
    for (const auto size : shape) {
        result.shape.push_back(Dimension{size, {}});
    }
    return result;
}

} // namespace miltest
