#pragma once
// Greedy CTC decoding: the best token of every frame, repeats collapsed and
// blanks dropped, turned into text.

#include "Platform/CoreML/MLMultiArray.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcLogProbFrames.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"

#include <string>
#include <vector>

namespace razeziruzer {

// The collapsed winners: a token held over several frames counts once, a token
// repeated across a blank twice. Empty frames are skipped and do not split a run.
std::vector<int> ctcGreedyTokenIds(const CtcLogProbFrames& logProbs, int blankId);

std::string ctcGreedyDecode(const CtcLogProbFrames& logProbs, const Vocabulary& vocabulary, int blankId);
// logProbs has the shape [batch, frames, vocabulary size]; only batch 0 is read.
std::string ctcGreedyDecode(const platform::coreml::MLMultiArray& logProbs, const Vocabulary& vocabulary,
                            int blankId);

} // namespace razeziruzer
