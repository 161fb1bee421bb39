#pragma once
// User-perceived characters (extended grapheme clusters) of UTF-8 text: these
// are the system's "characters". CR LF is one character, and so is a letter
// with combining marks or an emoji ZWJ sequence. Offsets and ranges are byte
// offsets into the UTF-8 text passed in.

#include "Platform/Text/ByteRange.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::text {

std::vector<ByteRange> characterRanges(std::string_view text);
std::vector<std::string> characters(std::string_view text);
std::size_t characterCount(std::string_view text);

// The first / last `count` characters (all of the text when it has fewer).
std::string prefix(std::string_view text, std::size_t count);
std::string suffix(std::string_view text, std::size_t count);
// Up to `count` characters starting after the first `start` characters.
std::string substring(std::string_view text, std::size_t start, std::size_t count);

// Byte offset of the character boundary after / before `byteOffset`
// (text.size() / 0 at the ends).
std::size_t nextCharacterBoundary(std::string_view text, std::size_t byteOffset);
std::size_t previousCharacterBoundary(std::string_view text, std::size_t byteOffset);

// The whole character just before / after a character boundary; absent at
// the start / end of the text.
std::optional<std::string> characterBefore(std::string_view text, std::size_t byteOffset);
std::optional<std::string> characterAfter(std::string_view text, std::size_t byteOffset);

std::optional<std::string> firstCharacter(std::string_view text);
std::optional<std::string> lastCharacter(std::string_view text);

} // namespace platform::text
