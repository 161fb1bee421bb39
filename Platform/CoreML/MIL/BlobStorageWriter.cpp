#include "Platform/CoreML/MIL/BlobStorageWriter.hpp"

#include "Platform/Accel/Float16.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/CoreML/MIL/BlobStorageFormat.hpp"
#include "Platform/CoreML/MIL/BrainFloat.hpp"
#include "Platform/CoreML/MIL/SubBytePacking.hpp"

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

namespace platform::coreml::mil {
namespace {

template <typename T>
void store(std::vector<std::uint8_t>& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

// Each value converted to its stored form, little-endian, back to back.
template <typename Stored, typename Value, typename Convert>
std::vector<std::uint8_t> encode(std::span<const Value> values, Convert convert) {
    std::vector<std::uint8_t> payload(values.size() * sizeof(Stored));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Stored stored = convert(values[i]);
        std::memcpy(payload.data() + i * sizeof(Stored), &stored, sizeof stored);
    }
    return payload;
}

struct Range {
    std::int64_t low;
    std::int64_t high;
};

Range rangeOf(DataType type) {
    switch (type) {
    case DataType::int4: return {-8, 7};
    case DataType::int8: return {-128, 127};
    case DataType::int16: return {-32768, 32767};
    case DataType::int32: return {INT32_MIN, INT32_MAX};
    case DataType::uint32: return {0, INT32_MAX};
    default: return {0, (std::int64_t{1} << bitWidth(type)) - 1};
    }
}

std::string typeText(DataType type) { return std::string(dataTypeName(type)); }

} // namespace

BlobStorageWriter::BlobStorageWriter() : bytes_(blobformat::headerSize, 0) {
    store(bytes_, blobformat::headerVersionField, blobformat::version);
}

std::uint64_t BlobStorageWriter::add(DataType type, std::span<const float> values) {
    std::vector<std::uint8_t> payload;
    switch (type) {
    case DataType::fp16: payload = encode<std::uint16_t>(values, accel::floatToHalf); break;
    case DataType::bf16: payload = encode<std::uint16_t>(values, floatToBrainFloat); break;
    case DataType::fp32: payload = encode<float>(values, [](float v) { return v; }); break;
    default: throw std::invalid_argument("a weight file holds floats as fp16, bf16 or fp32, not " + typeText(type));
    }
    return append(type, payload, 0);
}

std::uint64_t BlobStorageWriter::add(DataType type, std::span<const std::int32_t> values) {
    if (!isInteger(type) || !blobformat::typeCode(type)) {
        throw std::invalid_argument("a weight file cannot hold integers as " + typeText(type));
    }
    const auto range = rangeOf(type);
    for (const auto value : values) {
        if (value < range.low || value > range.high) {
            throw std::invalid_argument(std::to_string(value) + " is outside the range of " + typeText(type));
        }
    }
    const auto bits = bitWidth(type);
    std::vector<std::uint8_t> payload;
    switch (bits) {
    case 16: payload = encode<std::uint16_t>(values, [](std::int32_t v) { return static_cast<std::uint16_t>(v); }); break;
    case 32: payload = encode<std::uint32_t>(values, [](std::int32_t v) { return static_cast<std::uint32_t>(v); }); break;
    default: payload = packBits(values, bits); break;
    }
    return append(type, payload, payload.size() * 8 - values.size() * static_cast<std::size_t>(bits));
}

std::uint64_t BlobStorageWriter::append(DataType type, std::span<const std::uint8_t> payload, std::uint64_t paddingBits) {
    using namespace blobformat;
    const auto recordOffset = roundUp(bytes_.size(), alignment);
    const auto dataOffset = recordOffset + recordSize;
    bytes_.resize(static_cast<std::size_t>(dataOffset), 0);
    store(bytes_, recordOffset + recordSentinelField, sentinel);
    store(bytes_, recordOffset + recordTypeField, *typeCode(type));
    store(bytes_, recordOffset + recordSizeField, static_cast<std::uint64_t>(payload.size()));
    store(bytes_, recordOffset + recordDataOffsetField, dataOffset);
    store(bytes_, recordOffset + recordPaddingBitsField, paddingBits);
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    store(bytes_, headerCountField, ++count_);
    return recordOffset;
}

void BlobStorageWriter::write(const std::filesystem::path& path) const {
    std::error_code error;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), error);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    file.close();
    if (!file) {
        throw platform::Error("Cannot write the weight file \"" + path.string() + "\"" +
                              (error ? ": " + error.message() : std::string()));
    }
}

} // namespace platform::coreml::mil
