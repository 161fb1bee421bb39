#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcGreedyDecode.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcTokenText.hpp"

#include <limits>

namespace razeziruzer {

namespace {

// Lowest index among equal maxima. The scan starts from `startValue` at index
// 0: the first value for lists, minus infinity for model arrays.
int frameWinner(const std::vector<float>& frame, float startValue) {
    int best = 0;
    float bestValue = startValue;
    for (std::size_t v = 0; v < frame.size(); ++v) {
        if (frame[v] > bestValue) {
            best = static_cast<int>(v);
            bestValue = frame[v];
        }
    }
    return best;
}

std::vector<int> collapse(const CtcLogProbFrames& logProbs, int blankId, bool startFromFirstValue) {
    std::vector<int> ids;
    int previous = -1;
    for (const auto& frame : logProbs) {
        if (frame.empty()) continue;
        const float start = startFromFirstValue ? frame[0] : -std::numeric_limits<float>::infinity();
        const int winner = frameWinner(frame, start);
        if (winner != blankId && winner != previous) ids.push_back(winner);
        previous = winner;
    }
    return ids;
}

} // namespace

std::vector<int> ctcGreedyTokenIds(const CtcLogProbFrames& logProbs, int blankId) {
    return collapse(logProbs, blankId, true);
}

std::string ctcGreedyDecode(const CtcLogProbFrames& logProbs, const Vocabulary& vocabulary, int blankId) {
    return decodeCtcTokenIds(ctcGreedyTokenIds(logProbs, blankId), vocabulary);
}

std::string ctcGreedyDecode(const platform::coreml::MLMultiArray& logProbs, const Vocabulary& vocabulary,
                            int blankId) {
    return decodeCtcTokenIds(collapse(ctcFramesFromArray(logProbs), blankId, false), vocabulary);
}

} // namespace razeziruzer
