#pragma once
// Turns per-chunk speech probabilities into speech regions of a recording:
// regions open at the positive threshold, close after enough silence below the
// negative one, too-short ones are dropped, too-long ones are split at the best
// pause seen inside them, and every region is padded without overlapping.

#include "RazeziRuzer/VAD/VadSegmentationConfig.hpp"

#include <cstdint>
#include <span>
#include <vector>

namespace razeziruzer {

struct VadSampleRegion {
    std::int64_t start = 0;
    std::int64_t end = 0;  // exclusive

    bool operator==(const VadSampleRegion&) const = default;
};

namespace VadSpeechSegmenter {

inline constexpr std::int64_t chunkSize = 4096;

// Probability i belongs to the chunk starting at sample 4096 * i; the regions
// come back padded and clamped to 0 ... audioLengthSamples. Throws
// VadError::invalidConfiguration for durations that cannot be counted in samples.
std::vector<VadSampleRegion> detectSpeechSampleRanges(std::span<const float> probabilities,
                                                      std::int64_t audioLengthSamples, VadThresholds thresholds,
                                                      const VadSegmentationConfig& config);

} // namespace VadSpeechSegmenter
} // namespace razeziruzer
