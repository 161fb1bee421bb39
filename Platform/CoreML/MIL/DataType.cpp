#include "Platform/CoreML/MIL/DataType.hpp"

#include <array>
#include <cstddef>

namespace platform::coreml::mil {
namespace {

struct TypeInfo {
    DataType type;
    std::string_view name;
    StorageKind kind;
    int bits;
};

constexpr std::array<TypeInfo, 20> types{{
    {DataType::fp16, "fp16", StorageKind::float32, 16},
    {DataType::fp32, "fp32", StorageKind::float32, 32},
    {DataType::fp64, "fp64", StorageKind::float32, 64},
    {DataType::bf16, "bf16", StorageKind::float32, 16},
    {DataType::int4, "int4", StorageKind::int32, 4},
    {DataType::int8, "int8", StorageKind::int32, 8},
    {DataType::int16, "int16", StorageKind::int32, 16},
    {DataType::int32, "int32", StorageKind::int32, 32},
    {DataType::int64, "int64", StorageKind::int32, 64},
    {DataType::uint1, "uint1", StorageKind::int32, 1},
    {DataType::uint2, "uint2", StorageKind::int32, 2},
    {DataType::uint3, "uint3", StorageKind::int32, 3},
    {DataType::uint4, "uint4", StorageKind::int32, 4},
    {DataType::uint6, "uint6", StorageKind::int32, 6},
    {DataType::uint8, "uint8", StorageKind::int32, 8},
    {DataType::uint16, "uint16", StorageKind::int32, 16},
    {DataType::uint32, "uint32", StorageKind::int32, 32},
    {DataType::uint64, "uint64", StorageKind::int32, 64},
    {DataType::boolean, "bool", StorageKind::boolean, 8},
    {DataType::string, "string", StorageKind::string, 0},
}};

const TypeInfo& info(DataType type) { return types[static_cast<std::size_t>(type)]; }

} // namespace

std::optional<DataType> dataTypeFromName(std::string_view name) {
    for (const auto& entry : types) {
        if (entry.name == name) {
            return entry.type;
        }
    }
    return std::nullopt;
}

std::string_view dataTypeName(DataType type) { return info(type).name; }
StorageKind storageKind(DataType type) { return info(type).kind; }
bool isFloat(DataType type) { return info(type).kind == StorageKind::float32; }
bool isInteger(DataType type) { return info(type).kind == StorageKind::int32; }
int bitWidth(DataType type) { return info(type).bits; }

} // namespace platform::coreml::mil
