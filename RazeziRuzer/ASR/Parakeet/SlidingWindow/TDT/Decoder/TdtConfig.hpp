#pragma once
// Settings of the greedy token-and-duration decoder.

#include <vector>

namespace razeziruzer {

struct TdtConfig {
    bool includeTokenDuration = true;
    // Tokens emitted at one frame before the frame is forced forward; also the
    // most passes of the last-chunk flush.
    int maxSymbolsPerStep = 10;
    // Frame advance of each duration class of the joint network.
    std::vector<int> durationBins{0, 1, 2, 3, 4};
    int blankId = 8192;
    // Bound of the seam repeat search of the token post-processing.
    int boundarySearchFrames = 20;
    int maxTokensPerChunk = 150;
    // The last-chunk flush stops after this many blanks in a row.
    int consecutiveBlankLimit = 5;

    // The v3 model set's settings.
    static const TdtConfig& default_();

    bool operator==(const TdtConfig&) const = default;
};

} // namespace razeziruzer
