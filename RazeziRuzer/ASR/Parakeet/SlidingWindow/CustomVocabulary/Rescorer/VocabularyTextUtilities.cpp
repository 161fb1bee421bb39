#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyTextUtilities.hpp"

#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/Characters.hpp"
#include "Platform/Text/Whitespace.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"
#include "RazeziRuzer/Shared/StringUtils.hpp"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cmath>

namespace razeziruzer {

namespace {

const std::string wordStartMark(ASRConstants::sentencePieceWordBoundary);

bool isKeptScalar(UChar32 scalar) {
    return (U_GET_GC_MASK(scalar) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0 || scalar == '\'' || scalar == '-';
}

} // namespace

std::string normalizeForSimilarity(const std::string& text) {
    const std::string lowered = platform::text::lowercased(text);
    const auto* bytes = reinterpret_cast<const uint8_t*>(lowered.data());
    const auto length = static_cast<int32_t>(lowered.size());
    std::string output;
    bool lastWasSpace = true;
    for (int32_t offset = 0; offset < length;) {
        const int32_t start = offset;
        UChar32 scalar = 0;
        U8_NEXT(bytes, offset, length, scalar);
        if (scalar >= 0 && isKeptScalar(scalar)) {
            output.append(lowered, static_cast<std::size_t>(start), static_cast<std::size_t>(offset - start));
            lastWasSpace = false;
        } else if (scalar == '\t' || scalar == '\n' || scalar == ' ') {
            if (!lastWasSpace && !output.empty()) output += ' ';
            lastWasSpace = true;
        }
    }
    return platform::text::trimWhitespaceAndNewlines(output);
}

float stringSimilarity(const std::string& a, const std::string& b) {
    const std::string lowerA = platform::text::lowercased(a);
    const std::string lowerB = platform::text::lowercased(b);
    const auto longest = std::max(platform::text::characterCount(lowerA), platform::text::characterCount(lowerB));
    if (longest == 0) return 1.0f;
    const auto distance = static_cast<float>(StringUtils::levenshteinDistance(lowerA, lowerB));
    return 1.0f - distance / static_cast<float>(longest);
}

float lengthFactor(const std::string& a, const std::string& b) {
    const auto countA = static_cast<float>(platform::text::characterCount(a));
    const auto countB = static_cast<float>(platform::text::characterCount(b));
    const float longer = std::max(countA, countB);
    if (longer == 0) return 1.0f;
    return std::sqrt(std::min(countA, countB) / longer);
}

int wordCount(const std::string& normalized) {
    int count = 0;
    bool inWord = false;
    for (const char c : normalized) {
        if (c == ' ') {
            inWord = false;
        } else if (!inWord) {
            inWord = true;
            ++count;
        }
    }
    return count;
}

std::vector<NormalizedForm> buildNormalizedForms(const CustomVocabularyTerm& term,
                                                 const CustomVocabularyContext& vocabulary) {
    std::vector<std::string> written{term.text()};
    for (const auto& other : vocabulary.terms) {
        if (other.textLowercased() == term.textLowercased() && other.aliases()) {
            written.insert(written.end(), other.aliases()->begin(), other.aliases()->end());
        }
    }
    if (term.aliases()) written.insert(written.end(), term.aliases()->begin(), term.aliases()->end());
    std::vector<NormalizedForm> forms;
    std::unordered_set<std::string> seen;
    for (const auto& form : written) {
        auto normalized = normalizeForSimilarity(form);
        if (normalized.empty() || !seen.insert(normalized).second) continue;
        const int words = wordCount(normalized);
        forms.push_back({std::move(normalized), words});
    }
    return forms;
}

std::unordered_set<std::string> buildVocabularyNormalizedSet(const CustomVocabularyContext& vocabulary) {
    std::unordered_set<std::string> set;
    const auto add = [&](const std::string& text) {
        if (auto normalized = normalizeForSimilarity(text); !normalized.empty()) set.insert(std::move(normalized));
    };
    for (const auto& term : vocabulary.terms) {
        add(term.text());
        if (term.aliases()) std::for_each(term.aliases()->begin(), term.aliases()->end(), add);
    }
    return set;
}

namespace {

bool isUppercaseCharacter(const std::string& character) {
    return platform::text::lowercased(character) != character && platform::text::uppercased(character) == character;
}

bool isLowercaseCharacter(const std::string& character) {
    return platform::text::uppercased(character) != character && platform::text::lowercased(character) == character;
}

} // namespace

std::string preserveCapitalization(const std::string& original, const std::string& replacement) {
    const auto first = platform::text::firstCharacter(original);
    const auto replacementFirst = platform::text::firstCharacter(replacement);
    if (!first || !replacementFirst || !isUppercaseCharacter(*first) || !isLowercaseCharacter(*replacementFirst)) {
        return replacement;
    }
    return platform::text::uppercased(*replacementFirst) + replacement.substr(replacementFirst->size());
}

bool isWordBoundary(const std::string& piece) {
    return piece.starts_with(wordStartMark) || piece.starts_with(" ");
}

std::string stripWordBoundaryPrefix(const std::string& piece) {
    if (piece.starts_with(wordStartMark)) return piece.substr(wordStartMark.size());
    if (piece.starts_with(" ")) return piece.substr(1);
    return piece;
}

} // namespace razeziruzer
