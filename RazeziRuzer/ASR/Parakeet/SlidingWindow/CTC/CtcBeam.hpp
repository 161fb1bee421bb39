#pragma once
// One hypothesis of the CTC prefix beam search: a collapsed token prefix with
// the log-probabilities of its paths ending in a blank and in its last token,
// and the language-model state of the word being built.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/LogAddExp.hpp"

#include <optional>
#include <string>
#include <vector>

namespace razeziruzer {

struct CtcBeam {
    std::vector<int> prefix;
    float pBlank = 0;
    float pNonBlank = -std::numeric_limits<float>::infinity();
    float lmScore = 0;
    std::vector<std::string> wordPieces;
    std::optional<std::string> prevWord;

    float totalAcoustic() const { return logAddExp(pBlank, pNonBlank); }
    float total() const { return totalAcoustic() + lmScore; }
    std::optional<int> lastToken() const {
        if (prefix.empty()) return std::nullopt;
        return prefix.back();
    }
};

} // namespace razeziruzer
