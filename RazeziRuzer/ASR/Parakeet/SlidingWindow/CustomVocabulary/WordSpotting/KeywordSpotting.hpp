#pragma once
// Spotting vocabulary terms in CTC log-probabilities that are already at
// hand, and scoring one token sequence inside a window of frames. Neither
// fails: bad or empty input gives empty results or minus infinity.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/KeywordDetection.hpp"

#include <optional>

namespace razeziruzer::KeywordSpotting {

// The spotting threshold of a term of `tokenCount` ids: the default minimum
// when none is given, else the given minimum relaxed by 1 per id beyond 3.
float termThreshold(std::optional<float> minScore, std::size_t tokenCount);

SpotKeywordsResult spotKeywordsFromLogProbs(const CtcLogProbFrames& logProbs, double frameDuration,
                                            const CustomVocabularyContext& customVocabulary,
                                            std::optional<float> minScore, std::int64_t blankId);

// Best alignment of the ids inside frames [searchStartFrame, searchEndFrame),
// clamped to the matrix; frames are reported in whole-matrix coordinates.
ConstrainedSpot ctcWordSpotConstrained(const CtcLogProbFrames& logProbs, const std::vector<std::int64_t>& keywordTokens,
                                       std::int64_t searchStartFrame, std::int64_t searchEndFrame,
                                       std::int64_t blankId);

} // namespace razeziruzer::KeywordSpotting
