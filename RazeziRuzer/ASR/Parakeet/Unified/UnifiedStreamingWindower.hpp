#pragma once
// Plans the fixed encoder windows of the streaming unified recogniser from
// the number of samples received: when the next window is complete, which
// samples it covers, and how many trailing frames are look-ahead that a later
// window decodes. The recogniser owns decodedFrames and advances it.

#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedConfig.hpp"

#include <cstdint>
#include <optional>

namespace razeziruzer {

struct UnifiedStreamingWindower {
    struct Plan {
        std::int64_t startSample = 0;
        std::int64_t endSample = 0;
        std::int64_t startFrame = 0;
        std::int64_t holdBackFrames = 0;

        bool operator==(const Plan&) const = default;
    };

    UnifiedConfig config;
    std::int64_t consumedSamples = 0;
    std::int64_t decodedFrames = 0;
    bool finalFlushEmitted = false;

    std::optional<Plan> nextWindow(std::int64_t totalSamples, bool isFinal);
    void reset();
};

} // namespace razeziruzer
