#include "bench/PlatformModelRuntime/BenchProgramWriter.hpp"

#include <fstream>
#include <random>
#include <sstream>

namespace runtimebench {
namespace {

std::string dims(const std::vector<std::int64_t>& shape) {
    std::string text = "[";
    for (std::size_t i = 0; i < shape.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(shape[i]);
    }
    return text + "]";
}

std::string constant(const std::string& type, const std::string& name, const std::string& value) {
    return type + " " + name + " = const()[name = string(\"" + name + "\"), val = " + value + "];";
}

} // namespace

std::string fp32Type(const std::vector<std::int64_t>& shape) { return "tensor<fp32, " + dims(shape) + ">"; }

std::string BenchProgramWriter::weight(const std::string& name, const std::vector<std::int64_t>& shape) {
    std::int64_t count = 1;
    for (const auto size : shape) {
        count *= size;
    }
    std::mt19937 generator(seed_++);
    std::uniform_real_distribution<float> distribution(-0.05f, 0.05f);
    std::vector<float> values(static_cast<std::size_t>(count));
    for (auto& value : values) {
        value = distribution(generator);
    }
    const auto offset = weights_.add(platform::coreml::mil::DataType::fp16, values);
    weightBytes_ += static_cast<std::uint64_t>(count) * 2;
    const auto type = "tensor<fp16, " + dims(shape) + ">";
    line(constant(type, name, type + "(BLOBFILE(path = string(\"@model_path/weights/weight.bin\"), offset = uint64(" +
                                   std::to_string(offset) + ")))"));
    return name;
}

std::string BenchProgramWriter::ints(const std::string& name, const std::vector<std::int64_t>& values) {
    const auto type = "tensor<int32, [" + std::to_string(values.size()) + "]>";
    line(constant(type, name, type + "(" + dims(values) + ")"));
    return name;
}

std::string BenchProgramWriter::integer(const std::string& name, std::int64_t value) {
    line(constant("int32", name, "int32(" + std::to_string(value) + ")"));
    return name;
}

std::string BenchProgramWriter::text(const std::string& name, const std::string& value) {
    line(constant("string", name, "string(\"" + value + "\")"));
    return name;
}

std::string BenchProgramWriter::flag(const std::string& name, bool value) {
    line(constant("bool", name, std::string("bool(") + (value ? "true" : "false") + ")"));
    return name;
}

std::string BenchProgramWriter::number(const std::string& name, double value) {
    std::ostringstream text;
    text.precision(9);
    text << value;
    line(constant("fp32", name, "fp32(" + text.str() + ")"));
    return name;
}

void BenchProgramWriter::line(const std::string& statement) { body_ += "        " + statement + "\n"; }

void BenchProgramWriter::write(const std::filesystem::path& folder, const std::string& signature, const std::string& outputs) const {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "model.mil") << "program(1.3)\n{\n    func main<ios18>(" << signature << ") {\n"
                                        << body_ << "    } -> (" << outputs << ");\n}\n";
    std::ofstream(folder / "coremldata.bin") << "compiled";
    weights_.write(folder / "weights" / "weight.bin");
}

} // namespace runtimebench
