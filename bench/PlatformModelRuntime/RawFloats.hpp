#pragma once
// Plain little-endian float32 files, the form in which inputs and outputs pass
// between our benchmark and another runtime's.

#include <filesystem>
#include <span>
#include <vector>

namespace runtimebench {

// Throws std::runtime_error when the file cannot be read or its size is no
// whole number of floats.
std::vector<float> readRawFloats(const std::filesystem::path& path);
void writeRawFloats(const std::filesystem::path& path, std::span<const float> values);

} // namespace runtimebench
