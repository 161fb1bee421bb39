#include "OstrelVirorez/App/SpokenPunctuation.hpp"

#include "OstrelVirorez/App/CleanupCharacters.hpp"
#include "OstrelVirorez/App/CleanupLanguages.hpp"
#include "OstrelVirorez/App/WordBoundary.hpp"
#include "Platform/Text/Characters.hpp"

#include <algorithm>
#include <set>

namespace ostrelvirorez {

namespace {

using CharacterSet = std::set<std::string, std::less<>>;

const CharacterSet& noSpaceBefore() {
    static const CharacterSet characters{",", ".", "!", "?", ":", ";", ")", "]", "}", "\"", "\u201C", "\u201D",
                                         "@", "#", "%", "*"};
    return characters;
}

const CharacterSet& noSpaceAfter() {
    static const CharacterSet characters{"(", "[", "{", "\u201E", "@", "#"};
    return characters;
}

} // namespace

const std::vector<SpokenPunctuation::Rule>& SpokenPunctuation::germanRules() {
    static const std::vector<Rule> rules{
        {"neuer Absatz", "\n\n"},
        {"neue Zeile", "\n"},
        {"Anf\u00FChrungszeichen auf", "\u201E"},
        {"Anf\u00FChrungszeichen zu", "\u201C"},
        {"Klammer auf", "("},
        {"Klammer zu", ")"},
        {"\u00F6ffnende Klammer", "("},
        {"schlie\u00DFende Klammer", ")"},
        {"\u00F6ffnende eckige Klammer", "["},
        {"schlie\u00DFende eckige Klammer", "]"},
        {"Prozentzeichen", "%"},
        {"Rautezeichen", "#"},
        {"At-Zeichen", "@"},
        {"und-Zeichen", "&"},
        {"Komma", ","},
        {"Punkt", "."},
        {"Fragezeichen", "?"},
        {"Ausrufezeichen", "!"},
        {"Doppelpunkt", ":"},
        {"Semikolon", ";"},
        {"Strichpunkt", ";"},
        {"Bindestrich", "-"},
        {"Gedankenstrich", " \u2014 "},
        {"Schr\u00E4gstrich", "/"},
        {"Klammeraffe", "@"},
        {"Hashtag", "#"},
        {"Prozent", "%"},
        {"Sternchen", "*"},
        {"Unterstrich", "_"},
        {"Pluszeichen", "+"},
        {"Minuszeichen", "-"},
        {"Gleichheitszeichen", "="},
    };
    return rules;
}

const std::vector<SpokenPunctuation::Rule>& SpokenPunctuation::englishRules() {
    static const std::vector<Rule> rules{
        {"new paragraph", "\n\n"},
        {"new line", "\n"},
        {"full stop", "."},
        {"question mark", "?"},
        {"exclamation mark", "!"},
        {"open quote", "\""},
        {"close quote", "\""},
        {"open paren", "("},
        {"close paren", ")"},
        {"open bracket", "["},
        {"close bracket", "]"},
        {"open square bracket", "["},
        {"close square bracket", "]"},
        {"em dash", " \u2014 "},
        {"en dash", " \u2013 "},
        {"at sign", "@"},
        {"hash sign", "#"},
        {"number sign", "#"},
        {"forward slash", "/"},
        {"percent sign", "%"},
        {"minus sign", "-"},
        {"plus sign", "+"},
        {"equals sign", "="},
        {"comma", ","},
        {"period", "."},
        {"colon", ":"},
        {"semicolon", ";"},
        {"hyphen", "-"},
        {"dash", "-"},
        {"ampersand", "&"},
        {"asterisk", "*"},
        {"underscore", "_"},
        {"tilde", "~"},
        {"percent", "%"},
        {"hashtag", "#"},
    };
    return rules;
}

std::string SpokenPunctuation::apply(std::string_view text, const std::vector<Language>& languages) {
    if (text.empty()) return std::string(text);
    std::vector<Rule> rules;
    for (const auto language : languages) {
        const auto& table = language == Language::german ? germanRules() : englishRules();
        rules.insert(rules.end(), table.begin(), table.end());
    }
    std::stable_sort(rules.begin(), rules.end(), [](const Rule& a, const Rule& b) {
        return platform::text::characterCount(a.phrase) > platform::text::characterCount(b.phrase);
    });
    std::string result(text);
    for (const auto& rule : rules) result = WordBoundary::replace(result, rule.phrase, rule.replacement, false);
    return cleanupSpacing(result);
}

std::string SpokenPunctuation::cleanupSpacing(std::string_view text) {
    const auto characters = platform::text::characters(text);
    std::vector<std::string_view> kept;
    std::size_t index = 0;
    const auto skipHorizontalSpace = [&] {
        while (index < characters.size() && isHorizontalSpaceCharacter(characters[index])) ++index;
    };
    while (index < characters.size()) {
        const std::string_view character = characters[index++];
        if (isHorizontalSpaceCharacter(character) && index < characters.size() &&
            noSpaceBefore().contains(characters[index]))
            continue;
        if (isLineBreakCharacter(character)) {
            while (!kept.empty() && isHorizontalSpaceCharacter(kept.back())) kept.pop_back();
            kept.push_back(character);
            skipHorizontalSpace();
            continue;
        }
        kept.push_back(character);
        if (noSpaceAfter().contains(character)) skipHorizontalSpace();
    }
    std::string result;
    result.reserve(text.size());
    for (const auto character : kept) result += character;
    return result;
}

std::vector<SpokenPunctuation::Language> SpokenPunctuation::resolveLanguages(const std::optional<std::string>& hint) {
    return resolveLanguages(hint, currentLanguageCode());
}

std::vector<SpokenPunctuation::Language> SpokenPunctuation::resolveLanguages(
    const std::optional<std::string>& hint, const std::optional<std::string>& systemLanguageCode) {
    return cleanupLanguages(hint, systemLanguageCode);
}

} // namespace ostrelvirorez
