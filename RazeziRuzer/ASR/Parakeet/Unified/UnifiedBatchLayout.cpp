#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedBatchLayout.hpp"

#include <algorithm>

namespace razeziruzer {

std::int64_t UnifiedBatchLayout::windowSamples() const {
    return config.frameSamples * (15 * config.sampleRate / config.frameSamples);
}

std::int64_t UnifiedBatchLayout::overlapSamples() const {
    return config.frameSamples * (std::min(windowSamples() / 2, 2 * config.sampleRate) / config.frameSamples);
}

std::vector<std::int64_t> UnifiedBatchLayout::chunkStarts(std::int64_t totalSamples) const {
    if (totalSamples < 1) return {};
    std::vector<std::int64_t> starts{0};
    const auto stride = strideSamples();
    for (auto start = stride; stride > 0 && start < totalSamples; start += stride) {
        if (start + overlapSamples() < totalSamples) starts.push_back(start);
    }
    return starts;
}

} // namespace razeziruzer
