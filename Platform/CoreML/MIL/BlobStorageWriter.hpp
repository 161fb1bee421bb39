#pragma once
// Builds a weight file in memory, blob by blob, in the layout the reader
// expects; for tests, benchmarks and tools that make program bundles. Each add
// returns the offset of the blob's metadata record, the number a program
// writes in BLOBFILE(..., offset = ...).

#include "Platform/CoreML/MIL/DataType.hpp"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace platform::coreml::mil {

class BlobStorageWriter {
public:
    BlobStorageWriter();

    // fp16, bf16 (rounded to nearest even) or fp32 elements.
    std::uint64_t add(DataType type, std::span<const float> values);
    // Integer elements, sub-byte types packed LSB-first. Throws
    // std::invalid_argument for a value outside the type's range.
    std::uint64_t add(DataType type, std::span<const std::int32_t> values);

    // Writes the file, creating its parent folders; throws platform::Error on failure.
    void write(const std::filesystem::path& path) const;
    std::vector<std::uint8_t> bytes() const { return bytes_; }

private:
    std::uint64_t append(DataType type, std::span<const std::uint8_t> payload, std::uint64_t paddingBits);

    std::vector<std::uint8_t> bytes_;
    std::uint32_t count_ = 0;
};

} // namespace platform::coreml::mil
