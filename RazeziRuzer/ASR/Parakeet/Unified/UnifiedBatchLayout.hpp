#pragma once
// Window plan of the offline unified recogniser: windows of whole frames up
// to 15 s that overlap by up to 2 s, each started only while audio remains
// beyond the previous one.

#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedConfig.hpp"

#include <cstdint>
#include <vector>

namespace razeziruzer {

struct UnifiedBatchLayout {
    UnifiedConfig config;

    std::int64_t windowSamples() const;
    std::int64_t overlapSamples() const;
    std::int64_t strideSamples() const { return windowSamples() - overlapSamples(); }
    std::vector<std::int64_t> chunkStarts(std::int64_t totalSamples) const;
};

} // namespace razeziruzer
