#include "bench/PlatformModelRuntime/BenchProgramWriter.hpp"

#include "Platform/Accel/Float16.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace runtimebench {
namespace {

using platform::coreml::mil::DataType;

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

std::string typeOf(DataType type, const std::vector<std::int64_t>& shape) {
    return "tensor<" + std::string(platform::coreml::mil::dataTypeName(type)) + ", " + dims(shape) + ">";
}

} // namespace

WeightPrecision weightPrecisionFromName(const std::string& name) {
    for (const auto precision : {WeightPrecision::fp32, WeightPrecision::fp16, WeightPrecision::int8}) {
        if (name == weightPrecisionName(precision)) {
            return precision;
        }
    }
    throw std::invalid_argument("unknown weight precision \"" + name + "\" (fp32, fp16 or int8)");
}

const char* weightPrecisionName(WeightPrecision precision) {
    switch (precision) {
    case WeightPrecision::fp32: return "fp32";
    case WeightPrecision::fp16: return "fp16";
    case WeightPrecision::int8: return "int8";
    }
    return "?";
}

std::string fp32Type(const std::vector<std::int64_t>& shape) { return typeOf(DataType::fp32, shape); }

std::string BenchProgramWriter::weight(const std::string& name, const std::vector<std::int64_t>& shape) {
    return weight(name, shape, -0.05f, 0.05f);
}

std::string BenchProgramWriter::weight(const std::string& name, const std::vector<std::int64_t>& shape, float low, float high) {
    std::int64_t count = 1;
    for (const auto size : shape) {
        count *= size;
    }
    std::mt19937 generator(seed_++);
    std::uniform_real_distribution<float> distribution(low, high);
    std::vector<float> values(static_cast<std::size_t>(count));
    for (auto& value : values) {
        value = distribution(generator);
    }
    if (precision_ == WeightPrecision::int8 && shape.size() >= 2) {
        line(fp32Type(shape) + " " + name + " = " + quantizedExpression(shape, values) + "[name = string(\"" + name + "\")];");
    } else {
        const auto type = precision_ == WeightPrecision::fp16 ? DataType::fp16 : DataType::fp32;
        if (type == DataType::fp16) {
            // What the program computes with is the rounded value.
            for (auto& v : values) {
                v = platform::accel::halfToFloat(platform::accel::floatToHalf(v));
            }
        }
        line(constant(typeOf(type, shape), name, blob(type, shape, values)));
    }
    if (observer_) {
        observer_(name, shape, values);
    }
    return name;
}

std::string BenchProgramWriter::blob(DataType type, const std::vector<std::int64_t>& shape, std::span<const float> values) {
    const auto offset = weights_.add(type, values);
    weightBytes_ += values.size() * (type == DataType::fp16 ? 2 : 4);
    return typeOf(type, shape) + "(BLOBFILE(path = string(\"@model_path/weights/weight.bin\"), offset = uint64(" +
           std::to_string(offset) + ")))";
}

// Symmetric int8 with one scale per slice along axis 0; `values` becomes what
// the dequantization yields.
std::string BenchProgramWriter::quantizedExpression(const std::vector<std::int64_t>& shape, std::vector<float>& values) {
    const auto channels = static_cast<std::size_t>(shape[0]);
    const auto perChannel = values.size() / channels;
    std::vector<std::int32_t> quantized(values.size());
    std::vector<float> scales(channels);
    for (std::size_t c = 0; c < channels; ++c) {
        const auto first = values.begin() + static_cast<std::ptrdiff_t>(c * perChannel);
        float largest = 0;
        std::for_each(first, first + static_cast<std::ptrdiff_t>(perChannel), [&](float v) { largest = std::max(largest, std::abs(v)); });
        const float scale = largest > 0 ? largest / 127.0f : 1.0f;
        scales[c] = scale;
        for (std::size_t i = c * perChannel; i < (c + 1) * perChannel; ++i) {
            quantized[i] = static_cast<std::int32_t>(std::clamp(std::nearbyint(values[i] / scale), -127.0f, 127.0f));
            values[i] = static_cast<float>(quantized[i]) * scale;
        }
    }
    const auto dataOffset = weights_.add(DataType::int8, quantized);
    const auto zeroOffset = weights_.add(DataType::int8, std::vector<std::int32_t>(channels, 0));
    const std::vector<std::int64_t> perChannelShape{shape[0]};
    weightBytes_ += values.size() + channels;
    const auto file = [](std::uint64_t offset) {
        return "(BLOBFILE(path = string(\"@model_path/weights/weight.bin\"), offset = uint64(" + std::to_string(offset) + ")))";
    };
    return "constexpr_affine_dequantize(axis = int32(0), quantized_data = " + typeOf(DataType::int8, shape) + file(dataOffset) +
           ", scale = " + blob(DataType::fp32, perChannelShape, scales) + ", zero_point = " +
           typeOf(DataType::int8, perChannelShape) + file(zeroOffset) + ")";
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
    writeProgram(folder, signature, outputs);
    weights_.write(folder / "weights" / "weight.bin");
}

void BenchProgramWriter::writeProgram(const std::filesystem::path& folder, const std::string& signature,
                                      const std::string& outputs) const {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "model.mil") << "program(1.3)\n{\n    func main<ios18>(" << signature << ") {\n"
                                        << body_ << "    } -> (" << outputs << ");\n}\n";
    std::ofstream(folder / "coremldata.bin") << "compiled";
}

} // namespace runtimebench
