#include "Platform/CoreML/MIL/BlobStorageFormat.hpp"

#include <array>
#include <utility>

namespace platform::coreml::mil::blobformat {
namespace {

constexpr std::array<std::pair<std::uint32_t, DataType>, 15> codes{{
    {1, DataType::fp16},
    {2, DataType::fp32},
    {3, DataType::uint8},
    {4, DataType::int8},
    {5, DataType::bf16},
    {6, DataType::int16},
    {7, DataType::uint16},
    {8, DataType::int4},
    {9, DataType::uint1},
    {10, DataType::uint2},
    {11, DataType::uint4},
    {12, DataType::uint3},
    {13, DataType::uint6},
    {14, DataType::int32},
    {15, DataType::uint32},
}};

} // namespace

std::optional<std::uint32_t> typeCode(DataType type) {
    for (const auto& [code, entry] : codes) {
        if (entry == type) {
            return code;
        }
    }
    return std::nullopt;
}

std::optional<DataType> typeForCode(std::uint32_t code) {
    for (const auto& [entry, type] : codes) {
        if (entry == code) {
            return type;
        }
    }
    return std::nullopt;
}

} // namespace platform::coreml::mil::blobformat
