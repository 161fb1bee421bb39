#pragma once
// The character classes the clean-up stages share. A character is one
// grapheme cluster; it belongs to a class when its first scalar does.

#include <string_view>

namespace ostrelvirorez {

// U+000A to U+000D, U+0085, U+2028 or U+2029 first; CR LF is one line break.
bool isLineBreakCharacter(std::string_view character);
// Unicode White_Space, line breaks included.
bool isWhiteSpaceCharacter(std::string_view character);
// White space that is not a line break.
bool isHorizontalSpaceCharacter(std::string_view character);

} // namespace ostrelvirorez
