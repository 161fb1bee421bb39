#include "Platform/CoreML/MIL/SubBytePacking.hpp"

#include "Platform/CoreML/MIL/Parallel.hpp"

#include <stdexcept>
#include <string>

namespace platform::coreml::mil {
namespace {

void checkWidth(int bits) {
    if (bits < 1 || bits > 8) {
        throw std::invalid_argument("packed elements must be 1 to 8 bits wide, not " + std::to_string(bits));
    }
}

// Elements [begin, end) of the stream; a 16-bit window covers any element of
// up to 8 bits wherever it starts within its first byte.
void unpackRange(std::span<const std::uint8_t> packed, int bits, bool isSigned, std::span<std::int32_t> values,
                 std::int64_t begin, std::int64_t end) {
    const auto mask = (1u << bits) - 1u;
    const auto signBit = 1u << (bits - 1);
    for (auto i = begin; i < end; ++i) {
        const auto bit = static_cast<std::uint64_t>(i) * static_cast<std::uint64_t>(bits);
        const auto byte = static_cast<std::size_t>(bit / 8);
        unsigned window = packed[byte];
        if (byte + 1 < packed.size()) {
            window |= static_cast<unsigned>(packed[byte + 1]) << 8;
        }
        const auto raw = (window >> (bit % 8)) & mask;
        const auto value = isSigned && (raw & signBit) != 0 ? static_cast<std::int32_t>(raw) - static_cast<std::int32_t>(mask + 1)
                                                            : static_cast<std::int32_t>(raw);
        values[static_cast<std::size_t>(i)] = value;
    }
}

} // namespace

std::uint64_t packedByteCount(std::uint64_t count, int bits) {
    return (count * static_cast<std::uint64_t>(bits) + 7) / 8;
}

std::vector<std::uint8_t> packBits(std::span<const std::int32_t> values, int bits) {
    checkWidth(bits);
    std::vector<std::uint8_t> packed(packedByteCount(values.size(), bits), 0);
    const auto mask = (1u << bits) - 1u;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto bit = i * static_cast<std::size_t>(bits);
        const auto window = (static_cast<unsigned>(values[i]) & mask) << (bit % 8);
        packed[bit / 8] |= static_cast<std::uint8_t>(window & 0xFFu);
        if ((window >> 8) != 0) {
            packed[bit / 8 + 1] |= static_cast<std::uint8_t>(window >> 8);
        }
    }
    return packed;
}

void unpackBits(std::span<const std::uint8_t> packed, int bits, bool isSigned, std::span<std::int32_t> values) {
    checkWidth(bits);
    if (packed.size() < packedByteCount(values.size(), bits)) {
        throw std::invalid_argument(std::to_string(packed.size()) + " bytes cannot hold " + std::to_string(values.size()) +
                                    " elements of " + std::to_string(bits) + " bits");
    }
    parallelFor(static_cast<std::int64_t>(values.size()), 1 << 18, [&](std::int64_t begin, std::int64_t end) {
        unpackRange(packed, bits, isSigned, values, begin, end);
    });
}

} // namespace platform::coreml::mil
