#include "tests/Support/ParakeetBundles/ProgramBuilder.hpp"
#include "Platform/Accel/Float16.hpp"

#include <sstream>

namespace testsupport::parakeet {

std::string typeText(DataType type, const Shape& shape) {
    std::string text = "tensor<" + std::string(platform::coreml::mil::dataTypeName(type)) + ", [";
    for (std::size_t i = 0; i < shape.size(); ++i) {
        text += (i == 0 ? "" : ", ") + (shape[i] < 0 ? std::string("?") : std::to_string(shape[i]));
    }
    return text + "]>";
}

ProgramBuilder::ProgramBuilder(ModelBundleWriter& bundle, std::string signature)
    : bundle_(bundle), signature_(std::move(signature)) {}

ProgramBuilder& ProgramBuilder::line(const std::string& text) {
    body_ += "        " + text + (text.ends_with("\n") ? "" : ";\n");
    return *this;
}

ProgramBuilder& ProgramBuilder::weights(const std::string& name, const std::vector<float>& values, const Shape& shape,
                                        DataType type) {
    return line(bundle_.blobConstant(name, type, shape, values));
}

ProgramBuilder& ProgramBuilder::ints(const std::string& name, std::vector<std::int64_t> values) {
    return line(intsConstant(name, values));
}

ProgramBuilder& ProgramBuilder::integer(const std::string& name, std::int64_t value) {
    return line(intConstant(name, value));
}

ProgramBuilder& ProgramBuilder::number(const std::string& name, double value, DataType type) {
    if (type == DataType::fp32) return line(floatConstant(name, value));
    const auto half = static_cast<double>(static_cast<platform::accel::NativeHalf>(value));
    std::ostringstream text;
    text.precision(17);
    text << half;
    return line("fp16 " + name + " = const()[name = string(\"" + name + "\"), val = fp16(" + text.str() + ")]");
}

ProgramBuilder& ProgramBuilder::flag(const std::string& name, bool value) { return line(boolConstant(name, value)); }

ProgramBuilder& ProgramBuilder::text(const std::string& name, const std::string& value) {
    return line(textConstant(name, value));
}

ProgramBuilder& ProgramBuilder::op(const std::string& result, const std::string& call) {
    const auto name = result.substr(result.rfind(' ') + 1);
    return line(result + " = " + call + "[name = string(\"" + name + "\")]");
}

ProgramBuilder& ProgramBuilder::op(DataType type, const Shape& shape, const std::string& name,
                                   const std::string& call) {
    return op(typeText(type, shape) + " " + name, call);
}

std::string ProgramBuilder::program(const std::string& outputs) const {
    return std::string(programHeader) + "    func main<ios18>(" + signature_ + ") {\n" + body_ + "    } -> (" +
           outputs + ");\n}\n";
}

} // namespace testsupport::parakeet
