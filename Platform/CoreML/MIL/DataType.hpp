#pragma once
// Element types a compiled program names, and how the interpreter holds each
// at run time: every float type as float32, every integer type as int32, bool
// as one byte, string as text. The declared type travels with each value so
// outputs and casts can honour it.

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::coreml::mil {

enum class DataType {
    fp16, fp32, fp64, bf16,
    int4, int8, int16, int32, int64,
    uint1, uint2, uint3, uint4, uint6, uint8, uint16, uint32, uint64,
    boolean, string,
};

enum class StorageKind { float32, int32, boolean, string };

// Names as programs write them ("fp16", "int32", "bool", "string", ...).
std::optional<DataType> dataTypeFromName(std::string_view name);
std::string_view dataTypeName(DataType type);

StorageKind storageKind(DataType type);
bool isFloat(DataType type);
bool isInteger(DataType type);
// Width of one element in the weight file, in bits (string: 0).
int bitWidth(DataType type);

} // namespace platform::coreml::mil
