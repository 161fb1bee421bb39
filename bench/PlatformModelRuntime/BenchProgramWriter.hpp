#pragma once
// Writes the program bundles the runtime benchmarks load: statements are
// appended one by one, weights go to the weight file in the chosen precision.

#include "Platform/CoreML/MIL/BlobStorageWriter.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace runtimebench {

// How weights are stored. int8 applies to weights of rank 2 and more (one
// symmetric scale per output channel, expanded by constexpr_affine_dequantize);
// vectors stay fp32 then.
enum class WeightPrecision { fp32, fp16, int8 };

// "fp32", "fp16", "int8"; throws std::invalid_argument for anything else.
WeightPrecision weightPrecisionFromName(const std::string& name);
const char* weightPrecisionName(WeightPrecision precision);

class BenchProgramWriter {
public:
    // Sees every weight as the program will compute with it (after rounding to
    // half precision or quantizing), in the order the weights are written.
    using WeightObserver =
        std::function<void(const std::string& name, const std::vector<std::int64_t>& shape, std::span<const float> values)>;

    explicit BenchProgramWriter(WeightPrecision precision = WeightPrecision::fp16) : precision_(precision) {}

    // A weight of that shape filled with random values in [-0.05, 0.05).
    std::string weight(const std::string& name, const std::vector<std::int64_t>& shape);
    // The same in [low, high). Each weight draws from its own seed, the next in
    // line, so a writer given the same calls writes the same weights.
    std::string weight(const std::string& name, const std::vector<std::int64_t>& shape, float low, float high);
    std::string ints(const std::string& name, const std::vector<std::int64_t>& values);
    std::string integer(const std::string& name, std::int64_t value);
    std::string text(const std::string& name, const std::string& value);
    std::string flag(const std::string& name, bool value);
    std::string number(const std::string& name, double value);
    // Appends one statement line.
    void line(const std::string& statement);

    void observeWeights(WeightObserver observer) { observer_ = std::move(observer); }

    // Writes model.mil (one function "main" with `signature`, returning `outputs`),
    // the weight file and the bundle marker.
    void write(const std::filesystem::path& folder, const std::string& signature, const std::string& outputs) const;
    // The same without the weight file, for a second program over weights
    // already written (the caller links them in).
    void writeProgram(const std::filesystem::path& folder, const std::string& signature, const std::string& outputs) const;

    std::uint64_t weightBytes() const { return weightBytes_; }

private:
    std::string blob(platform::coreml::mil::DataType type, const std::vector<std::int64_t>& shape, std::span<const float> values);
    std::string quantizedExpression(const std::vector<std::int64_t>& shape, std::vector<float>& values);

    WeightPrecision precision_;
    platform::coreml::mil::BlobStorageWriter weights_;
    WeightObserver observer_;
    std::string body_;
    std::uint32_t seed_ = 1;
    std::uint64_t weightBytes_ = 0;
};

// "tensor<fp32, [1, 1500, 512]>"
std::string fp32Type(const std::vector<std::int64_t>& shape);

} // namespace runtimebench
