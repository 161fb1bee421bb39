#include "RazeziRuzer/Shared/Script.hpp"

#include <unicode/utf8.h>

#include <array>

namespace razeziruzer {

namespace {

constexpr std::array<Script, 3> cases{Script::latin, Script::cyrillic, Script::greek};

bool inRange(char32_t scalar, char32_t first, char32_t last) {
    return scalar >= first && scalar <= last;
}

bool isAsciiLetter(char32_t scalar) {
    return inRange(scalar, U'A', U'Z') || inRange(scalar, U'a', U'z');
}

// Blank, digits and ASCII punctuation: shared by every script.
bool isSharedAscii(char32_t scalar) {
    return inRange(scalar, 0x20, 0x7F) && !isAsciiLetter(scalar);
}

bool accepts(Script script, char32_t scalar) {
    switch (script) {
    case Script::latin:
        return inRange(scalar, 0x20, 0x7F) || inRange(scalar, 0xA0, 0xFF) || inRange(scalar, 0x100, 0x24F) ||
               inRange(scalar, 0x300, 0x36F) || inRange(scalar, 0x1E00, 0x1EFF);
    case Script::cyrillic: return inRange(scalar, 0x400, 0x4FF) || isSharedAscii(scalar);
    case Script::greek:
        return inRange(scalar, 0x300, 0x3FF) || inRange(scalar, 0x1F00, 0x1FFF) || isSharedAscii(scalar);
    }
    return false;
}

} // namespace

bool isWrittenIn(std::string_view text, Script script) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t offset = 0;
    while (offset < length) {
        UChar32 scalar = 0;
        U8_NEXT(bytes, offset, length, scalar);
        if (scalar < 0 || !accepts(script, static_cast<char32_t>(scalar))) return false;
    }
    return true;
}

template <>
std::span<const Script> allCases<Script>() {
    return cases;
}

} // namespace razeziruzer
