#include "bench/PlatformModelRuntime/RawFloats.hpp"

#include <fstream>
#include <stdexcept>

namespace runtimebench {

std::vector<float> readRawFloats(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    if (!file || error || bytes % sizeof(float) != 0) {
        throw std::runtime_error("cannot read float32 values from " + path.string());
    }
    std::vector<float> values(bytes / sizeof(float));
    file.read(reinterpret_cast<char*>(values.data()), static_cast<std::streamsize>(bytes));
    if (!file) {
        throw std::runtime_error("cannot read float32 values from " + path.string());
    }
    return values;
}

void writeRawFloats(const std::filesystem::path& path, std::span<const float> values) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size_bytes()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace runtimebench
