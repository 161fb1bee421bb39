#include "OstrelVirorez/App/CleanupCharacters.hpp"

#include "Platform/Text/UnicodeProperties.hpp"
#include "Platform/Text/Whitespace.hpp"

namespace ostrelvirorez {

bool isLineBreakCharacter(std::string_view character) {
    const auto scalar = platform::text::firstScalar(character);
    if (!scalar) return false;
    return (*scalar >= U'\n' && *scalar <= U'\r') || *scalar == U'\u0085' || *scalar == U'\u2028' ||
           *scalar == U'\u2029';
}

bool isWhiteSpaceCharacter(std::string_view character) {
    return platform::text::characterIs(character, platform::text::isWhitespace);
}

bool isHorizontalSpaceCharacter(std::string_view character) {
    return isWhiteSpaceCharacter(character) && !isLineBreakCharacter(character);
}

} // namespace ostrelvirorez
