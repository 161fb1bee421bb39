#pragma once
// The records of vocabulary rescoring: the adaptive-bonus settings, word
// timings, candidates and their decisions, and what a rescoring call returns.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/ContextBiasingConstants.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer {

struct VocabularyRescorerConfig {
    bool useAdaptiveThresholds = ContextBiasingConstants::defaultUseAdaptiveThresholds;
    std::int64_t referenceTokenCount = ContextBiasingConstants::defaultReferenceTokenCount;

    // The bonus grows with log2 of the token count beyond the reference count.
    float adaptiveCbw(float baseCbw, std::int64_t tokenCount) const;
};

struct RescorerWordTiming {
    std::string word;
    double startTime = 0;
    double endTime = 0;
};

struct RescoringResult {
    std::string originalWord;
    float originalScore = 0;
    std::optional<std::string> replacementWord;
    std::optional<float> replacementScore;
    bool shouldReplace = false;
    std::string reason;
};

struct RescoreOutput {
    std::string text;
    std::vector<RescoringResult> replacements;
    bool wasModified = false;
};

struct CTCMatchCandidate {
    std::string originalPhrase;
    std::string vocabTerm;
    std::vector<std::int64_t> vocabTokens;
    float similarity = 0;
    std::int64_t spanLength = 1;
    std::vector<std::int64_t> spanIndices;
    double spanStartTime = 0;
    double spanEndTime = 0;
};

struct CTCMatchResult {
    bool shouldReplace = false;
    float originalScore = 0;
    float boostedVocabScore = 0;
    std::string replacement;
    std::string reason;
};

struct PendingReplacement {
    CTCMatchCandidate candidate;
    CTCMatchResult result;
    float similarity = 0;
};

struct StopwordDecision {
    bool shouldSkip = false;
    float adjustedMinSimilarity = 0;
};

} // namespace razeziruzer
