#pragma once
// Every tuning value of vocabulary boosting by name: spotter thresholds,
// vocabulary defaults, the rescorer's similarity and length rules, and the
// rescorer settings for a vocabulary of a given size.

#include <cstdint>

namespace razeziruzer::ContextBiasingConstants {

inline constexpr std::int64_t wildcardTokenId = -1;
inline constexpr std::int64_t defaultBlankId = 1024;
inline constexpr float defaultMinSpotterScore = -15.0f;
inline constexpr float defaultMinVocabCtcScore = -12.0f;
inline constexpr float ctcTemperature = 1.0f;
inline constexpr float blankBias = 0.0f;
inline constexpr float minSimilarityFloor = 0.5f;
inline constexpr float defaultMinSimilarity = 0.52f;
inline constexpr float defaultMinCombinedConfidence = 0.54f;
inline constexpr float lengthRatioThreshold = 0.75f;
inline constexpr float shortWordSimilarity = 0.80f;
inline constexpr float stopwordSpanSimilarity = 0.85f;
inline constexpr float defaultCbw = 3.0f;
inline constexpr float defaultAlpha = 0.5f;
inline constexpr double defaultMarginSeconds = 0.1;
inline constexpr int largeVocabThreshold = 10;
inline constexpr int extraLargeVocabThreshold = 100;
inline constexpr int baselineTokenCountForThreshold = 3;
inline constexpr float thresholdRelaxationPerToken = 1.0f;
inline constexpr int defaultReferenceTokenCount = 3;
inline constexpr bool defaultUseAdaptiveThresholds = true;
inline constexpr int shortWordMaxLength = 4;
inline constexpr bool useBkTree = false;
inline constexpr int bkTreeMaxDistance = 3;

struct VocabSizeConfig {
    float minSimilarity;
    float cbw;
};

// Larger vocabularies ask for more similar words; the weight is the same in every band.
VocabSizeConfig rescorerConfig(int vocabSize);

} // namespace razeziruzer::ContextBiasingConstants
