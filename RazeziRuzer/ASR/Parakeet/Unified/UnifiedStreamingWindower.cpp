#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedStreamingWindower.hpp"

#include <algorithm>

namespace razeziruzer {

std::optional<UnifiedStreamingWindower::Plan> UnifiedStreamingWindower::nextWindow(std::int64_t totalSamples,
                                                                                    bool isFinal) {
    if (finalFlushEmitted) return std::nullopt;
    // The first window also carries the look-ahead the first chunk needs.
    const auto targetEnd = consumedSamples == 0 ? (config.chunkFrames + config.rightFrames) * config.frameSamples
                                                : consumedSamples + config.chunkSamples();
    std::int64_t end = targetEnd;
    bool final = false;
    if (totalSamples < targetEnd) {
        if (!isFinal || totalSamples <= 0 || consumedSamples > totalSamples) return std::nullopt;
        end = totalSamples;
        final = true;
    } else {
        final = isFinal && totalSamples == targetEnd;
    }
    const auto frame = config.frameSamples;
    const auto start = (std::max<std::int64_t>(0, end - config.windowSamples()) + frame - 1) / frame * frame;
    consumedSamples = end;
    if (final) finalFlushEmitted = true;
    return Plan{start, end, start / frame, final ? 0 : config.rightFrames};
}

void UnifiedStreamingWindower::reset() {
    consumedSamples = 0;
    decodedFrames = 0;
    finalFlushEmitted = false;
}

} // namespace razeziruzer
