#pragma once
// Writes the program bundles the runtime benchmarks load: statements are
// appended one by one, weights go to the weight file as half precision.

#include "Platform/CoreML/MIL/BlobStorageWriter.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace runtimebench {

class BenchProgramWriter {
public:
    // A half-precision weight of that shape filled with small random values.
    std::string weight(const std::string& name, const std::vector<std::int64_t>& shape);
    std::string ints(const std::string& name, const std::vector<std::int64_t>& values);
    std::string integer(const std::string& name, std::int64_t value);
    std::string text(const std::string& name, const std::string& value);
    std::string flag(const std::string& name, bool value);
    std::string number(const std::string& name, double value);
    // Appends one statement line.
    void line(const std::string& statement);

    // Writes model.mil (one function "main" with `signature`, returning `outputs`),
    // the weight file and the bundle marker.
    void write(const std::filesystem::path& folder, const std::string& signature, const std::string& outputs) const;

    std::uint64_t weightBytes() const { return weightBytes_; }

private:
    platform::coreml::mil::BlobStorageWriter weights_;
    std::string body_;
    std::uint32_t seed_ = 1;
    std::uint64_t weightBytes_ = 0;
};

// "tensor<fp32, [1, 1500, 512]>"
std::string fp32Type(const std::vector<std::int64_t>& shape);

} // namespace runtimebench
