#include "Hushframe/Audio/EnergyVAD.hpp"

#include "Hushframe/Audio/AudioProcessor.hpp"

#include <cmath>
#include <stdexcept>

namespace hushframe {

namespace {

std::int64_t samplesOf(float seconds, std::int64_t sampleRate) {
    const float product = seconds * static_cast<float>(sampleRate);
    // 2^63 is exactly representable as a float; anything at or beyond it does not fit.
    if (!std::isfinite(product) || std::abs(product) >= 9223372036854775808.0F) {
        throw std::invalid_argument("EnergyVAD frame duration gives no whole sample count");
    }
    return static_cast<std::int64_t>(product);
}

} // namespace

EnergyVAD::EnergyVAD(std::int64_t sampleRate, std::int64_t frameLengthSamples, std::int64_t frameOverlapSamples,
                     float energyThreshold)
    : VoiceActivityDetector(sampleRate, frameLengthSamples, frameOverlapSamples), energyThreshold(energyThreshold) {}

EnergyVAD EnergyVAD::withSeconds(std::int64_t sampleRate, float frameLength, float frameOverlap,
                                 float energyThreshold) {
    return EnergyVAD(sampleRate, samplesOf(frameLength, sampleRate), samplesOf(frameOverlap, sampleRate),
                     energyThreshold);
}

std::vector<bool> EnergyVAD::voiceActivity(std::span<const float> samples) const {
    const auto frames = static_cast<std::int64_t>(
        std::ceil(static_cast<double>(samples.size()) / static_cast<double>(frameLengthSamples)));
    return AudioProcessor::calculateVoiceActivityInChunks(samples, frames, frameLengthSamples, frameOverlapSamples,
                                                          energyThreshold);
}

} // namespace hushframe
