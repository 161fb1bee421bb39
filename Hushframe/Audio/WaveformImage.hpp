#pragma once
// A picture made from the raw bytes of a sample array: every 32-bit sample
// is one pixel of four 8-bit components (little-endian, premultiplied alpha
// first), rows of width × 4 bytes.

#include <cstdint>
#include <vector>

namespace hushframe {

struct WaveformImage {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t bytesPerRow = 0;
    std::vector<std::uint8_t> pixels;
};

} // namespace hushframe
