#include "OstrelVirorez/App/FillerWordFilter.hpp"

#include "OstrelVirorez/App/CleanupCharacters.hpp"
#include "OstrelVirorez/App/CleanupLanguages.hpp"
#include "OstrelVirorez/App/WordBoundary.hpp"
#include "Platform/Text/Characters.hpp"

#include <algorithm>
#include <set>

namespace ostrelvirorez {

namespace {

const std::set<std::string, std::less<>>& noSpaceBefore() {
    static const std::set<std::string, std::less<>> characters{",", ".", "!", "?", ":", ";"};
    return characters;
}

void dropTrailingSpaces(std::string& text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
}

} // namespace

const std::vector<std::string>& FillerWordFilter::germanWords() {
    static const std::vector<std::string> words{"\u00E4hm", "\u00E4h", "hmm", "hm", "sozusagen", "quasi"};
    return words;
}

const std::vector<std::string>& FillerWordFilter::englishWords() {
    static const std::vector<std::string> words{"umm", "uhh", "um", "uh", "erm"};
    return words;
}

std::string FillerWordFilter::apply(std::string_view text, const std::vector<Language>& languages) {
    if (text.empty()) return std::string(text);
    std::vector<std::string> words;
    for (const auto language : languages) {
        const auto& list = language == Language::german ? germanWords() : englishWords();
        words.insert(words.end(), list.begin(), list.end());
    }
    std::stable_sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        return platform::text::characterCount(a) > platform::text::characterCount(b);
    });
    std::string result(text);
    for (const auto& word : words) result = WordBoundary::replace(result, word, "", false);
    return cleanupSpacing(result);
}

std::string FillerWordFilter::cleanupSpacing(std::string_view text) {
    std::string result;
    bool afterSpace = true; // leading white space is dropped
    for (const auto& character : platform::text::characters(text)) {
        if (isLineBreakCharacter(character)) {
            dropTrailingSpaces(result);
            result += character;
            afterSpace = true;
        } else if (isWhiteSpaceCharacter(character)) {
            if (!afterSpace) result += ' ';
            afterSpace = true;
        } else {
            if (noSpaceBefore().contains(character) && !result.empty() && result.back() == ' ') result.pop_back();
            result += character;
            afterSpace = false;
        }
    }
    dropTrailingSpaces(result);
    return result;
}

std::vector<FillerWordFilter::Language> FillerWordFilter::resolveLanguages(const std::optional<std::string>& hint) {
    return resolveLanguages(hint, currentLanguageCode());
}

std::vector<FillerWordFilter::Language> FillerWordFilter::resolveLanguages(
    const std::optional<std::string>& hint, const std::optional<std::string>& systemLanguageCode) {
    return cleanupLanguages(hint, systemLanguageCode);
}

} // namespace ostrelvirorez
