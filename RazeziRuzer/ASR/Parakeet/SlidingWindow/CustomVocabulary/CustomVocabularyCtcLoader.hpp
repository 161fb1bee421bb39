#pragma once
// Loads a plain-text vocabulary and tokenises every term for a CTC model,
// downloading and loading that model on the way.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcModels.hpp"

#include <string>

namespace razeziruzer {

struct VocabularyWithCtcModels {
    CustomVocabularyContext vocab;
    CtcModels models;
};

// Terms whose text yields no token are dropped; the thresholds are the
// defaults. Throws the first error of the download, model loading, file
// reading or tokenizer loading.
VocabularyWithCtcModels loadWithCtcTokens(const std::string& path, CtcModelVariant ctcVariant);

} // namespace razeziruzer
