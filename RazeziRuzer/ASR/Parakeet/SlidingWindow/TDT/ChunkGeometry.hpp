#pragma once
// Fixed sizes of long-audio chunking, in 16 kHz samples: every chunk length,
// stride and start is a whole number of 1,280-sample encoder frames.

#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <algorithm>
#include <cstdint>

namespace razeziruzer::chunkgeometry {

inline constexpr std::int64_t sampleRate = ASRConstants::sampleRate;
inline constexpr std::int64_t frameSamples = ASRConstants::samplesPerEncoderFrame;
inline constexpr double frameSeconds = ASRConstants::secondsPerEncoderFrame;
inline constexpr std::int64_t modelWindowSamples = ASRConstants::maxModelSamples;
// The window less 160 samples: context or prefix plus new audio stays within it.
inline constexpr std::int64_t chunkBudgetSamples = 239840;
// A chunk starts at least this far before the end of the chunk before it.
inline constexpr std::int64_t tailMarginSamples = 7680;

inline constexpr std::int64_t floorToFrames(std::int64_t samples) { return samples / frameSamples * frameSamples; }
inline constexpr std::int64_t framesCovering(std::int64_t samples) {
    return (samples + frameSamples - 1) / frameSamples;
}

// How much of a requested warm-up prefix a chunk starting at `start` may
// spend: the prefix shortens the chunk's own audio, and that audio must still
// reach `reachTo` so that no sample goes undecoded and the decoder's weak last
// frames are heard again by the next chunk. Whole frames, so the window stays
// on the frame grid.
inline constexpr std::int64_t warmupReaching(std::int64_t start, std::int64_t requested, std::int64_t chunkSamples,
                                             std::int64_t reachTo) {
    return floorToFrames(std::clamp<std::int64_t>(start + chunkSamples - reachTo, 0, std::max<std::int64_t>(requested, 0)));
}

// Where a chunk's own audio must reach: the tail margin past the next chunk's
// start, or the end of the recording.
inline constexpr std::int64_t coverageTarget(std::int64_t nextStart, std::int64_t totalSamples) {
    return std::min(nextStart + tailMarginSamples, totalSamples);
}

} // namespace razeziruzer::chunkgeometry
