#pragma once
// A fuzz input written to a file, for readers that take a path. The file lives
// in a private temporary folder of the process and is rewritten per input.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace fuzzing {

// The path of a file holding exactly `size` bytes of `data`, named `name`.
std::filesystem::path writeInputFile(const std::uint8_t* data, std::size_t size, const std::string& name);

} // namespace fuzzing
