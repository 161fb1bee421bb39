#pragma once
// Best-path alignment of a keyword's CTC tokens against per-frame
// log-probabilities, with a free start and a free end, and the choice of the
// spans worth reporting. Token id -1 is a wildcard matching any frame.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcLogProbFrames.hpp"

#include <cstdint>
#include <limits>
#include <vector>

namespace razeziruzer::CtcDPAlgorithm {

inline constexpr float impossibleScore = -std::numeric_limits<float>::max();

// Row j is the state after the first j frames; column l has matched the first
// l keyword symbols (ending on symbol l or on the blank after it).
struct DPTables {
    std::size_t columns = 0;
    std::vector<float> dp;
    // Start frame of the best path: the first frame aligned to the first symbol.
    std::vector<std::int64_t> backtrack;
    // One past the last frame aligned to a keyword symbol on that path.
    std::vector<std::int64_t> lastMatch;

    float score(std::size_t row, std::size_t column) const { return dp[row * columns + column]; }
    std::int64_t start(std::size_t row, std::size_t column) const { return backtrack[row * columns + column]; }
    std::int64_t end(std::size_t row, std::size_t column) const { return lastMatch[row * columns + column]; }
};

struct Detection {
    float score;
    std::int64_t startFrame;
    std::int64_t endFrame;
};

// Needs at least one frame when the keyword is not empty.
DPTables fillDPTable(const CtcLogProbFrames& logProbs, const std::vector<std::int64_t>& keywordTokens,
                     std::int64_t blankId);

std::size_t nonWildcardCount(const std::vector<std::int64_t>& tokens);

// Sorted by start frame (stably); a detection whose span overlaps or touches
// the previous one folds into it, keeping the better score and its start.
std::vector<Detection> mergeOverlapping(std::vector<Detection> detections);

// Local maxima of the end-row scores, divided by the non-wildcard token count,
// that reach minScore; with mergeOverlap, overlapping or touching spans fold
// into one.
std::vector<Detection> ctcWordSpotMultiple(const CtcLogProbFrames& logProbs,
                                           const std::vector<std::int64_t>& keywordTokens, float minScore,
                                           bool mergeOverlap, std::int64_t blankId);

} // namespace razeziruzer::CtcDPAlgorithm
