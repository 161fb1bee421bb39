#include "tests/Support/ModelBundleWriter.hpp"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

using platform::coreml::mil::dataTypeName;

namespace {

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream stream(path, std::ios::binary);
    stream << text;
    if (!stream) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string blobText(ModelBundleWriter::DataType type, const ModelBundleWriter::Shape& shape, std::uint64_t offset) {
    return tensorTypeText(type, shape) + "(BLOBFILE(path = string(\"@model_path/weights/weight.bin\"), offset = uint64(" +
           std::to_string(offset) + ")))";
}

} // namespace

const char* const programHeader =
    "program(1.3)\n[buildInfo = dict<string, string>({{\"coremlc-version\", \"3505.4.1\"}})]\n{\n";

std::string mainProgram(const std::string& signature, const std::string& body, const std::string& outputs) {
    return std::string(programHeader) + "    func main<ios18>(" + signature + ") {\n" + body + "    } -> (" + outputs + ");\n}\n";
}

std::string operationLine(const std::string& result, const std::string& call) {
    const auto name = result.substr(result.rfind(' ') + 1);
    return "        " + result + " = " + call + "[name = string(\"" + name + "\")];\n";
}

std::string tensorTypeText(platform::coreml::mil::DataType type, const platform::coreml::mil::Shape& shape) {
    std::string text = "tensor<" + std::string(dataTypeName(type)) + ", [";
    for (std::size_t i = 0; i < shape.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(shape[i]);
    }
    return text + "]>";
}

std::string ModelBundleWriter::blob(DataType type, const Shape& shape, std::span<const float> values) {
    hasWeights_ = true;
    return blobText(type, shape, weights_.add(type, values));
}

std::string ModelBundleWriter::blob(DataType type, const Shape& shape, std::span<const std::int32_t> values) {
    hasWeights_ = true;
    return blobText(type, shape, weights_.add(type, values));
}

std::string ModelBundleWriter::blobConstant(const std::string& name, DataType type, const Shape& shape,
                                            std::span<const float> values) {
    return tensorTypeText(type, shape) + " " + name + " = const()[name = string(\"" + name + "\"), val = " +
           blob(type, shape, values) + "];\n";
}

void ModelBundleWriter::write(const std::filesystem::path& folder, const std::string& programText,
                              const std::optional<nlohmann::json>& metadata) const {
    writeText(folder / "model.mil", programText);
    writeText(folder / "coremldata.bin", "compiled");
    if (hasWeights_) {
        weights_.write(folder / "weights" / "weight.bin");
    }
    if (metadata) {
        writeText(folder / "metadata.json", metadata->dump(2));
    }
}

std::string intsConstant(const std::string& name, std::span<const std::int64_t> values) {
    std::string list;
    for (std::size_t i = 0; i < values.size(); ++i) {
        list += (i == 0 ? "" : ", ") + std::to_string(values[i]);
    }
    return "tensor<int32, [" + std::to_string(values.size()) + "]> " + name + " = const()[name = string(\"" + name +
           "\"), val = tensor<int32, [" + std::to_string(values.size()) + "]>([" + list + "])];\n";
}

std::string intConstant(const std::string& name, std::int64_t value) {
    return "int32 " + name + " = const()[name = string(\"" + name + "\"), val = int32(" + std::to_string(value) + ")];\n";
}

std::string floatConstant(const std::string& name, double value) {
    std::ostringstream text;
    text.precision(17);
    text << value;
    return "fp32 " + name + " = const()[name = string(\"" + name + "\"), val = fp32(" + text.str() + ")];\n";
}

std::string boolConstant(const std::string& name, bool value) {
    return "bool " + name + " = const()[name = string(\"" + name + "\"), val = bool(" + (value ? "true" : "false") + ")];\n";
}

std::string textConstant(const std::string& name, const std::string& value) {
    return "string " + name + " = const()[name = string(\"" + name + "\"), val = string(\"" + value + "\")];\n";
}

} // namespace testsupport
