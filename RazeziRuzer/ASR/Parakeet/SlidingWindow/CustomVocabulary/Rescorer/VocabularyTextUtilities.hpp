#pragma once
// Text comparison for vocabulary rescoring: the normal form of a text, the
// character similarity of two texts, the normalised written forms of terms,
// the capitalisation of a replacement and the word-start mark of token pieces.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"

#include <string>
#include <unordered_set>
#include <vector>

namespace razeziruzer {

struct NormalizedForm {
    std::string normalized;
    int wordCount = 0;

    bool operator==(const NormalizedForm&) const = default;
};

// Lower-cased letters, marks, digits, "'" and "-", words separated by single
// spaces; other punctuation vanishes without leaving a space.
std::string normalizeForSimilarity(const std::string& text);
// 1 - edit distance / longer character count of the lower-cased texts; 1 for two empty texts.
float stringSimilarity(const std::string& a, const std::string& b);
// sqrt(shorter character count / longer character count).
float lengthFactor(const std::string& a, const std::string& b);
int wordCount(const std::string& normalized);

// The term's text, the aliases of every vocabulary term with the same
// lower-cased text, then its own aliases: normalised, without empties or repeats.
std::vector<NormalizedForm> buildNormalizedForms(const CustomVocabularyTerm& term,
                                                 const CustomVocabularyContext& vocabulary);
std::unordered_set<std::string> buildVocabularyNormalizedSet(const CustomVocabularyContext& vocabulary);

// The replacement with its first letter capitalised when the original starts
// with a capital and the replacement with a small letter; else unchanged.
std::string preserveCapitalization(const std::string& original, const std::string& replacement);

// Whether a token piece starts a word (U+2581 or a space first).
bool isWordBoundary(const std::string& piece);
std::string stripWordBoundaryPrefix(const std::string& piece);

} // namespace razeziruzer
