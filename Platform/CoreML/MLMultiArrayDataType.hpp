#pragma once
// Element types of a multi-array, with the platform's raw values (a type
// family in the upper bits, the width in bits in the lower ones).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform::coreml {

enum class MLMultiArrayDataType : std::int32_t {
    float16 = 0x10000 | 16,
    float32 = 0x10000 | 32,
    float64 = 0x10000 | 64,
    int32 = 0x20000 | 32,
    int8 = 0x20000 | 8,
};

constexpr std::int32_t rawValue(MLMultiArrayDataType type) { return static_cast<std::int32_t>(type); }
std::optional<MLMultiArrayDataType> dataTypeFromRawValue(std::int32_t raw);

// Bytes one element takes in storage.
std::size_t elementSize(MLMultiArrayDataType type);

// Lower-case name for messages ("float16", "float32", "float64", "int32", "int8").
std::string dataTypeName(MLMultiArrayDataType type);

} // namespace platform::coreml
