#pragma once
// How repetitive a decoded window is: its size before zlib compression over
// its size after. Positive infinity marks a measurement that failed.

#include <span>
#include <string_view>

namespace hushframe {

struct TextUtilities {
    TextUtilities() = delete;

    // The ids as native-order 32-bit integers, 4 bytes each.
    static float compressionRatio(std::span<const int> tokens);
    // The UTF-8 bytes; an empty text gives positive infinity.
    static float compressionRatio(std::string_view text);
};

} // namespace hushframe
