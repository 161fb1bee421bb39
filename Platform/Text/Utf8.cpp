#include "Platform/Text/Utf8.hpp"

#include <unicode/utf8.h>

#include <cstdint>

namespace platform::text {

bool isValidUtf8(std::string_view bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int32_t>(bytes.size());
    for (std::int32_t offset = 0; offset < length;) {
        UChar32 scalar = 0;
        U8_NEXT(data, offset, length, scalar);
        if (scalar < 0) return false;
    }
    return true;
}

} // namespace platform::text
