#pragma once
// CTC prefix beam search, optionally guided by a word bigram language model
// applied whenever a hypothesis completes a word.

#include "Platform/CoreML/MLMultiArray.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/ARPALanguageModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcBeam.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcLogProbFrames.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"

#include <string>

namespace razeziruzer {

// `beamWidth` hypotheses survive each frame; `tokenCandidates` best non-blank
// tokens of a frame are tried. Every frame must hold at least as many values
// as the first. The word bonus is added once per completed word, and only
// with a language model.
std::string ctcBeamSearch(const CtcLogProbFrames& logProbs, const Vocabulary& vocabulary,
                          const ARPALanguageModel* lm, int beamWidth, float lmWeight, float wordBonus, int blankId,
                          int tokenCandidates);

// The surviving beams after the last frame, open words scored, in the order
// the search keeps them (best first after each frame's pruning).
std::vector<CtcBeam> ctcPrefixBeams(const CtcLogProbFrames& logProbs, const Vocabulary& vocabulary,
                                    const ARPALanguageModel* lm, int beamWidth, float lmWeight, float wordBonus,
                                    int blankId, int tokenCandidates);

// logProbs has the shape [batch, frames, vocabulary size]; only batch 0 is read.
std::string ctcBeamSearch(const platform::coreml::MLMultiArray& logProbs, const Vocabulary& vocabulary,
                          const ARPALanguageModel* lm, int beamWidth, float lmWeight, float wordBonus, int blankId,
                          int tokenCandidates);

} // namespace razeziruzer
