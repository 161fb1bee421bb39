#pragma once
// Elements narrower than a byte, packed as one LSB-first bit stream: element i
// of width n occupies stream bits [i·n, (i+1)·n), stream bit k is bit k % 8 of
// byte k / 8, and each element's own least significant bit comes first. So 3-
// and 6-bit elements may straddle two bytes, and for 1, 2 and 4 bits element j
// of a byte sits at shift n·j. Used by weight files and by the packed index and
// mask tensors of weight decompression.

#include <cstdint>
#include <span>
#include <vector>

namespace platform::coreml::mil {

// Bytes needed for `count` elements of `bits` each: ceil(count·bits / 8).
std::uint64_t packedByteCount(std::uint64_t count, int bits);

// Packs the low `bits` bits of each value (1 <= bits <= 8); unused bits of the
// last byte are zero.
std::vector<std::uint8_t> packBits(std::span<const std::int32_t> values, int bits);

// Unpacks values.size() elements of `bits` each (1 <= bits <= 8), sign-extending
// from the top bit when `isSigned`. `packed` must hold packedByteCount bytes;
// throws std::invalid_argument otherwise. Large inputs unpack in parallel.
void unpackBits(std::span<const std::uint8_t> packed, int bits, bool isSigned, std::span<std::int32_t> values);

} // namespace platform::coreml::mil
