#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/ContextBiasingConstants.hpp"

namespace razeziruzer::ContextBiasingConstants {

VocabSizeConfig rescorerConfig(int vocabSize) {
    constexpr float weight = 4.5f;
    if (vocabSize > extraLargeVocabThreshold) return {0.60f, weight};
    if (vocabSize > largeVocabThreshold) return {0.55f, weight};
    return {0.50f, weight};
}

} // namespace razeziruzer::ContextBiasingConstants
