#include "OstrelVirorez/App/WordBoundary.hpp"

#include "OstrelVirorez/App/CleanupCharacters.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/StringSearch.hpp"

namespace ostrelvirorez {

const std::set<std::string, std::less<>>& WordBoundary::punctuation() {
    static const std::set<std::string, std::less<>> characters{
        ",", ".", "!", "?", ":", ";", "(", ")", "[", "]", "{", "}", "\"", "'",
        "\u201E", "\u201C", "\u201D", "/", "-", "\u2014"};
    return characters;
}

bool WordBoundary::isBoundary(const std::optional<std::string>& character) {
    if (!character) return true;
    return isWhiteSpaceCharacter(*character) || isLineBreakCharacter(*character) ||
           punctuation().contains(*character);
}

std::string WordBoundary::replace(std::string_view in, std::string_view phrase, bool caseSensitive,
                                  const std::function<std::string()>& replacementFor) {
    if (phrase.empty()) return std::string(in);
    platform::text::StringSearch search(in, phrase, {.caseInsensitive = !caseSensitive});
    std::string result;
    std::size_t position = 0;
    while (const auto occurrence = search.find(position)) {
        const bool whole = isBoundary(platform::text::characterBefore(in, occurrence->begin)) &&
                           isBoundary(platform::text::characterAfter(in, occurrence->end));
        if (whole) {
            result.append(in.substr(position, occurrence->begin - position));
            result.append(replacementFor());
            position = occurrence->end;
        } else {
            const auto afterFirst = platform::text::nextCharacterBoundary(in, occurrence->begin);
            result.append(in.substr(position, afterFirst - position));
            position = afterFirst;
        }
    }
    result.append(in.substr(position));
    return result;
}

std::string WordBoundary::replace(std::string_view in, std::string_view phrase, std::string_view with,
                                  bool caseSensitive) {
    return replace(in, phrase, caseSensitive, [with] { return std::string(with); });
}

} // namespace ostrelvirorez
