#pragma once
// A custom vocabulary: its terms in file order and the thresholds its users
// apply, read from a JSON file or a plain text file of one term per line.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/ContextBiasingConstants.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyTerm.hpp"

#include <filesystem>
#include <vector>

namespace razeziruzer {

struct CustomVocabularyContext {
    std::vector<CustomVocabularyTerm> terms;
    float alpha = ContextBiasingConstants::defaultAlpha;
    float minCtcScore = ContextBiasingConstants::defaultMinVocabCtcScore;
    float minSimilarity = ContextBiasingConstants::defaultMinSimilarity;
    float minCombinedConfidence = ContextBiasingConstants::defaultMinCombinedConfidence;
    std::int64_t minTermLength = 3;

    // Throws the read error, or nlohmann::json errors for malformed JSON, a
    // wrong type, a missing "terms" or a term without "text", and
    // platform::JsonNestingError for JSON nested deeper than any vocabulary.
    // Term texts are sanitised; their warnings are logged.
    static CustomVocabularyContext load(const std::filesystem::path& file);
    // "term" or "term: alias, alias" per line; "#" starts a comment line.
    // Throws platform::Error when the file cannot be read or is not UTF-8.
    static CustomVocabularyContext loadFromSimpleFormat(const std::filesystem::path& file);
};

} // namespace razeziruzer
