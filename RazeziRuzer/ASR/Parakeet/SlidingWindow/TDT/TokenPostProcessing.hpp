#pragma once
// From a decoder hypothesis to the pieces of a result: the transcript's
// confidence, the timed token list, and the removal of tokens that a window
// repeats from the end of the previous one.

#include "RazeziRuzer/ASR/Parakeet/TokenTiming.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace razeziruzer::TokenPostProcessing {

// Mean token confidence within [0.1, 1]; 0.1 for an empty text; 0.5, with a
// warning, when the confidences do not match the tokens.
float calculateConfidence(int tokenCount, bool isEmpty, const std::vector<float>& tokenConfidences,
                          const AppLogger& logger);

// Timed tokens in time order, shifted by "TDT_EMISSION_DELAY_FRAMES" (1
// frame when unset or unreadable); empty when the inputs do not line up.
std::vector<TokenTiming> createTokenTimings(const std::vector<int>& tokens, const std::vector<int>& timestamps,
                                            const std::vector<float>& confidences,
                                            const std::vector<int>& tokenDurations, const Vocabulary& vocabulary);

struct DeduplicationResult {
    std::vector<int> deduped;
    int removedCount = 0;
    bool operator==(const DeduplicationResult&) const = default;
};

DeduplicationResult removeDuplicateTokenSequence(const std::vector<int>& previous, const std::vector<int>& current,
                                                 int maxOverlap, int boundarySearchFrames, const AppLogger& logger);

// The pieces of the ids joined (ids the vocabulary lacks and empty pieces
// skipped), word-start marks as blanks, trimmed of blanks but not line ends.
std::string tokensToText(const std::vector<int>& tokenIds, const Vocabulary& vocabulary);

// True when the text holds nothing but white space and line ends.
bool isBlankText(std::string_view text);

// The emission delay the environment asks for.
long long emissionDelayFrames();

} // namespace razeziruzer::TokenPostProcessing
