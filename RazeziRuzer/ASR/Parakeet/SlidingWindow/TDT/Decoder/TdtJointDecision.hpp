#pragma once
// The joint network's answer for one frame: most likely token, its
// probability, the duration class and, when asked for, the top-K candidates.

#include <optional>
#include <vector>

namespace razeziruzer {

struct TdtJointDecision {
    int tokenId = 0;
    float probability = 0;
    int durationBin = 0;
    std::optional<std::vector<int>> topKIds;
    std::optional<std::vector<float>> topKLogits;
};

} // namespace razeziruzer
