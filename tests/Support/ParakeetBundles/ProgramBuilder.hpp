#pragma once
// Builds the text of a one-function program statement by statement, its
// weights going to a bundle's weight file: the shared way the Parakeet-shaped
// test and benchmark bundles are spelled.

#include "tests/Support/ModelBundleWriter.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport::parakeet {

using DataType = platform::coreml::mil::DataType;
using Shape = platform::coreml::mil::Shape;

// "tensor<fp32, [1, 4, ?]>": a size of -1 is a flexible dimension.
std::string typeText(DataType type, const Shape& shape);

class ProgramBuilder {
public:
    ProgramBuilder(ModelBundleWriter& bundle, std::string signature);

    // One statement; the terminating ";" is added.
    ProgramBuilder& line(const std::string& text);
    // A constant whose values go to the weight file, stored as `type`.
    ProgramBuilder& weights(const std::string& name, const std::vector<float>& values, const Shape& shape,
                            DataType type = DataType::fp16);
    ProgramBuilder& ints(const std::string& name, std::vector<std::int64_t> values);
    ProgramBuilder& integer(const std::string& name, std::int64_t value);
    // A float scalar of that type (fp32 or fp16).
    ProgramBuilder& number(const std::string& name, double value, DataType type = DataType::fp32);
    ProgramBuilder& flag(const std::string& name, bool value);
    ProgramBuilder& text(const std::string& name, const std::string& value);
    // `<result> = <call>[name = string("<result's name>")]`.
    ProgramBuilder& op(const std::string& result, const std::string& call);
    // The same with the result's type spelled from a type and shape.
    ProgramBuilder& op(DataType type, const Shape& shape, const std::string& name, const std::string& call);

    // The whole program, returning `outputs` (comma-separated names).
    std::string program(const std::string& outputs) const;

private:
    ModelBundleWriter& bundle_;
    std::string signature_;
    std::string body_;
};

} // namespace testsupport::parakeet
