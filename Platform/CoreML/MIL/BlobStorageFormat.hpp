#pragma once
// The layout of a weight file, version 2: a 64-byte header (blob count,
// version), then for each blob a 64-byte metadata record followed by its
// payload, every record starting on a 64-byte boundary. Integers are
// little-endian. Shared by the reader and the writer.

#include "Platform/CoreML/MIL/DataType.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform::coreml::mil::blobformat {

inline constexpr std::uint64_t headerSize = 64;
inline constexpr std::uint64_t recordSize = 64;
inline constexpr std::uint64_t alignment = 64;
inline constexpr std::uint32_t version = 2;
inline constexpr std::uint32_t sentinel = 0xDEADBEEF;

// Byte positions of the fields inside the header and inside a record. The
// record's four trailing reserved words are never read: older writers left
// them uninitialised.
inline constexpr std::size_t headerCountField = 0;
inline constexpr std::size_t headerVersionField = 4;
inline constexpr std::size_t recordSentinelField = 0;
inline constexpr std::size_t recordTypeField = 4;
inline constexpr std::size_t recordSizeField = 8;
inline constexpr std::size_t recordDataOffsetField = 16;
inline constexpr std::size_t recordPaddingBitsField = 24;

// The code a weight file uses for an element type; nullopt for types it cannot hold.
std::optional<std::uint32_t> typeCode(DataType type);
// The element type behind a code; nullopt for codes this runtime cannot hold
// (the 8-bit float codes 16 and 17, and codes added after them).
std::optional<DataType> typeForCode(std::uint32_t code);

constexpr std::uint64_t roundUp(std::uint64_t value, std::uint64_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

} // namespace platform::coreml::mil::blobformat
