#include "OstrelVirorez/App/SmartTextFormatter.hpp"

#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/UnicodeProperties.hpp"
#include "Platform/Text/Whitespace.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace ostrelvirorez {

namespace {

bool isLetterOrNumber(std::string_view character) {
    return platform::text::characterIs(character, platform::text::isLetter) ||
           platform::text::characterIs(character, platform::text::isNumber);
}

bool isSentenceEnd(std::string_view character) { return character == "." || character == "!" || character == "?"; }

bool hasBlankLine(const std::vector<std::string>& characters) {
    return std::adjacent_find(characters.begin(), characters.end(), [](const auto& a, const auto& b) {
               return a == "\n" && b == "\n";
           }) != characters.end();
}

std::vector<std::string> sentencesOf(const std::vector<std::string>& characters) {
    std::vector<std::string> sentences;
    std::string piece;
    for (const auto& character : characters) {
        piece += character;
        if (isSentenceEnd(character)) sentences.push_back(std::exchange(piece, {}));
    }
    // The unfinished last sentence keeps its leading space like every other
    // one, so that it does not run into the sentence before it.
    if (!platform::text::trimWhitespaceAndNewlines(piece).empty()) sentences.push_back(std::move(piece));
    return sentences;
}

} // namespace

std::string SmartTextFormatter::capitalize(std::string_view text) {
    if (text.empty()) return std::string(text);
    const auto characters = platform::text::characters(text);
    std::string result;
    result.reserve(text.size());
    bool capitalizeNext = true;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const auto& character = characters[i];
        if (capitalizeNext && platform::text::characterIs(character, platform::text::isLetter)) {
            result += platform::text::uppercased(character);
            capitalizeNext = false;
            continue;
        }
        result += character;
        if (character == "!" || character == "?" || character == "\n") {
            capitalizeNext = true;
        } else if (character == ".") {
            const bool inWord = i > 0 && i + 1 < characters.size() && isLetterOrNumber(characters[i - 1]) &&
                                isLetterOrNumber(characters[i + 1]);
            capitalizeNext = !inWord;
        }
    }
    return result;
}

std::string SmartTextFormatter::paragraph(std::string_view text, std::size_t minLength,
                                          std::size_t sentencesPerParagraph) {
    const auto trimmed = platform::text::trimWhitespaceAndNewlines(text);
    const auto characters = platform::text::characters(trimmed);
    if (characters.size() < minLength || hasBlankLine(characters)) return std::string(text);
    const auto sentences = sentencesOf(characters);
    if (sentences.size() <= sentencesPerParagraph) return std::string(text);

    std::vector<std::string> paragraphs;
    std::string current;
    const auto finishParagraph = [&] {
        auto paragraph = platform::text::trimWhitespaceAndNewlines(std::exchange(current, {}));
        if (!paragraph.empty()) paragraphs.push_back(std::move(paragraph));
    };
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        current += sentences[i];
        if ((i + 1) % sentencesPerParagraph == 0) finishParagraph();
    }
    finishParagraph();

    std::string result;
    for (const auto& paragraph : paragraphs) {
        if (!result.empty()) result += "\n\n";
        result += paragraph;
    }
    return result;
}

} // namespace ostrelvirorez
