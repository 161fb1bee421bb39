#pragma once
// Runs one kernel of the standard registry on tensors made in a test.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <string>
#include <utility>
#include <vector>

namespace miltest {

using platform::coreml::mil::DataType;
using platform::coreml::mil::Shape;
using platform::coreml::mil::Tensor;
using platform::coreml::mil::ValueType;

// One named argument: a single tensor, or the members of a tuple.
struct Arg {
    std::string name;
    std::vector<Tensor> values;

    Arg(std::string argName, Tensor value) : name(std::move(argName)), values{std::move(value)} {}
    Arg(std::string argName, std::vector<Tensor> members) : name(std::move(argName)), values(std::move(members)) {}
};

// Declared result types; a result with no declaration is taken as fp32 of any shape.
std::vector<Tensor> runKernel(const std::string& opType, const std::vector<Arg>& arguments,
                              const std::vector<ValueType>& results = {});

// Runs a kernel that gives one result and returns it (a second result fails the test).
Tensor one(const std::string& opType, const std::vector<Arg>& arguments, const std::vector<ValueType>& results = {});

// The call fails with the runtime's error, and its message contains `fragment`.
void expectFailure(const std::string& opType, const std::vector<Arg>& arguments, const std::string& fragment);

// Values drawn evenly from [-scale, scale], the same for the same seed.
std::vector<float> randomFloats(std::size_t count, std::uint32_t seed, float scale);

Tensor floats(Shape shape, std::vector<float> values, DataType type = DataType::fp32);
Tensor ints(Shape shape, std::vector<std::int32_t> values, DataType type = DataType::int32);
Tensor bools(Shape shape, std::vector<std::uint8_t> values);
Tensor scalarInt(std::int64_t value);
Tensor scalarFloat(double value);
Tensor scalarBool(bool value);
Tensor text(std::string value);
ValueType tensorType(DataType type, Shape shape);

} // namespace miltest
