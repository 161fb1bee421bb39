#pragma once
// Writes compiled program bundles for tests: the program text, a weight file
// filled blob by blob, the "coremldata.bin" marker and, when given,
// "metadata.json". Helpers spell the constants of the short dialect.

#include "Platform/CoreML/MIL/BlobStorageWriter.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace testsupport {

class ModelBundleWriter {
public:
    using DataType = platform::coreml::mil::DataType;
    using Shape = platform::coreml::mil::Shape;

    // Adds the values to the weight file and returns the value text that refers
    // to them: `tensor<fp16, [4, 3]>(BLOBFILE(path = string("@model_path/weights/weight.bin"), offset = uint64(64)))`.
    std::string blob(DataType type, const Shape& shape, std::span<const float> values);
    std::string blob(DataType type, const Shape& shape, std::span<const std::int32_t> values);

    // A const statement whose value lies in the weight file.
    std::string blobConstant(const std::string& name, DataType type, const Shape& shape, std::span<const float> values);

    void write(const std::filesystem::path& folder, const std::string& programText,
               const std::optional<nlohmann::json>& metadata = std::nullopt) const;

private:
    platform::coreml::mil::BlobStorageWriter weights_;
    bool hasWeights_ = false;
};

// The opening of a program in the short dialect, up to its first brace.
extern const char* const programHeader;
// A program whose one function "main" has this signature, body and outputs.
std::string mainProgram(const std::string& signature, const std::string& body, const std::string& outputs);
// One statement named after its result: `        <result> = <call>[name = string("<name>")];`.
std::string operationLine(const std::string& result, const std::string& call);

// "tensor<fp16, [4, 3]>"; a scalar is "tensor<int32, []>".
std::string tensorTypeText(platform::coreml::mil::DataType type, const platform::coreml::mil::Shape& shape);
// Inline constants in the short dialect.
std::string intsConstant(const std::string& name, std::span<const std::int64_t> values);
std::string intConstant(const std::string& name, std::int64_t value);
std::string floatConstant(const std::string& name, double value);
std::string boolConstant(const std::string& name, bool value);
std::string textConstant(const std::string& name, const std::string& value);

} // namespace testsupport
