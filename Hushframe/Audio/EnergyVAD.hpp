#pragma once
// The energy-threshold voice-activity detector: a frame is speech when the
// root-mean-square of its samples is above the threshold (strictly).

#include "Hushframe/Core/VoiceActivityDetector.hpp"

namespace hushframe {

class EnergyVAD : public VoiceActivityDetector {
public:
    // The defaults make the pipeline's default detector: 16 kHz, 1600-sample
    // (0.1 s) frames, no overlap, threshold 0.02.
    explicit EnergyVAD(std::int64_t sampleRate = 16000, std::int64_t frameLengthSamples = 1600,
                       std::int64_t frameOverlapSamples = 0, float energyThreshold = 0.02F);

    // Frame length and overlap in seconds, turned into samples by a float
    // product truncated toward zero. Throws std::invalid_argument when a
    // product is not finite or does not fit a 64-bit integer.
    static EnergyVAD withSeconds(std::int64_t sampleRate, float frameLength, float frameOverlap,
                                 float energyThreshold);

    // ⌈count / frameLengthSamples⌉ flags; frame i is measured over samples
    // [i × length, i × length + length + overlap), clipped at the end.
    std::vector<bool> voiceActivity(std::span<const float> samples) const override;

    const float energyThreshold;
};

} // namespace hushframe
