#include "Platform/Text/IcuString.hpp"

#include "Platform/Core/Error.hpp"

#include <unicode/utf8.h>

#include <algorithm>

namespace platform::text::detail {

icu::UnicodeString toUnicode(std::string_view utf8)
{
    return icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
}

std::string toUtf8(const icu::UnicodeString& text)
{
    std::string result;
    text.toUTF8String(result);
    return result;
}

void throwIfFailed(UErrorCode status, std::string_view what)
{
    if (U_FAILURE(status))
        throw Error(std::string(what) + ": " + u_errorName(status));
}

Utf16Text::Utf16Text(std::string_view utf8)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    byteOffsets_.reserve(utf8.size() + 1);
    int32_t index = 0;
    while (index < length) {
        const auto start = static_cast<std::size_t>(index);
        UChar32 codePoint = 0;
        U8_NEXT(bytes, index, length, codePoint);
        if (codePoint < 0)
            codePoint = 0xFFFD;
        text_.append(codePoint);
        byteOffsets_.push_back(start);
        if (U_IS_SUPPLEMENTARY(codePoint))
            byteOffsets_.push_back(start);
    }
    byteOffsets_.push_back(utf8.size());
}

int32_t Utf16Text::utf16Index(std::size_t byteOffset) const
{
    const auto found = std::lower_bound(byteOffsets_.begin(), byteOffsets_.end(), byteOffset);
    return static_cast<int32_t>(found - byteOffsets_.begin());
}

} // namespace platform::text::detail
