#include "Platform/Text/Whitespace.hpp"

#include "Platform/Text/UnicodeProperties.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace platform::text {

namespace {

const uint8_t* bytesOf(std::string_view text) { return reinterpret_cast<const uint8_t*>(text.data()); }

// Ill-formed bytes are never white space.
bool scalarMatches(UChar32 scalar, ScalarPredicate test) { return scalar >= 0 && test(static_cast<char32_t>(scalar)); }

std::string trim(std::string_view text, ScalarPredicate test)
{
    const auto* bytes = bytesOf(text);
    const auto length = static_cast<int32_t>(text.size());
    int32_t begin = 0;
    while (begin < length) {
        int32_t next = begin;
        UChar32 scalar = 0;
        U8_NEXT(bytes, next, length, scalar);
        if (!scalarMatches(scalar, test))
            break;
        begin = next;
    }
    int32_t end = length;
    while (end > begin) {
        int32_t previous = end;
        UChar32 scalar = 0;
        U8_PREV(bytes, begin, previous, scalar);
        if (!scalarMatches(scalar, test))
            break;
        end = previous;
    }
    return std::string(text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

} // namespace

bool isWhitespace(char32_t scalar)
{
    return u_hasBinaryProperty(static_cast<UChar32>(scalar), UCHAR_WHITE_SPACE);
}

bool isHorizontalWhitespace(char32_t scalar)
{
    return scalar == U'\t' || u_charType(static_cast<UChar32>(scalar)) == U_SPACE_SEPARATOR;
}

std::string trimWhitespaceAndNewlines(std::string_view text)
{
    return trim(text, isWhitespace);
}

std::string trimHorizontalWhitespace(std::string_view text)
{
    return trim(text, isHorizontalWhitespace);
}

std::vector<std::string> splitOnWhitespace(std::string_view text)
{
    std::vector<std::string> pieces;
    const auto* bytes = bytesOf(text);
    const auto length = static_cast<int32_t>(text.size());
    int32_t pieceStart = 0;
    int32_t index = 0;
    while (index < length) {
        const int32_t scalarStart = index;
        UChar32 scalar = 0;
        U8_NEXT(bytes, index, length, scalar);
        if (!scalarMatches(scalar, isWhitespace))
            continue;
        if (scalarStart > pieceStart)
            pieces.emplace_back(text.substr(static_cast<std::size_t>(pieceStart), static_cast<std::size_t>(scalarStart - pieceStart)));
        pieceStart = index;
    }
    if (length > pieceStart)
        pieces.emplace_back(text.substr(static_cast<std::size_t>(pieceStart)));
    return pieces;
}

} // namespace platform::text

