#include "RazeziRuzer/Shared/StringUtils.hpp"

#include "Platform/Text/Characters.hpp"
#include "Platform/Text/Normalization.hpp"

#include <string>

namespace razeziruzer {

namespace {

// Characters in their composed form, so canonically equivalent ones compare equal.
std::vector<std::string> composedCharacters(std::string_view text) {
    auto characters = platform::text::characters(text);
    for (auto& character : characters) {
        character = platform::text::normalize(character, platform::text::NormalizationForm::nfc);
    }
    return characters;
}

} // namespace

int StringUtils::levenshteinDistance(std::string_view a, std::string_view b) {
    return levenshteinDistance(composedCharacters(a), composedCharacters(b));
}

} // namespace razeziruzer
