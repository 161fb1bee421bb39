#include "RazeziRuzer/Diarizer/Segmentation/AudioValidation.hpp"

#include <algorithm>
#include <cmath>

namespace razeziruzer {
namespace {

float rmsEnergy(std::span<const float> samples) {
    if (samples.empty()) return 0;
    float sum = 0;
    for (const float sample : samples) sum += sample * sample;
    return std::sqrt(sum / static_cast<float>(samples.size()));
}

} // namespace

AudioValidationResult AudioValidation::validateAudio(std::span<const float> samples) const {
    AudioValidationResult result;
    result.durationSeconds = static_cast<float>(samples.size()) / 16000.0f;
    if (result.durationSeconds < 1.0f) result.issues.emplace_back("Audio too short (minimum 1 second)");
    if (samples.empty()) result.issues.emplace_back("No audio data");
    if (rmsEnergy(samples) < 0.01f) {
        result.issues.emplace_back("Audio too quiet or silent");
        return result;
    }
    result.isValid = result.issues.empty();
    return result;
}

bool AudioValidation::validateEmbedding(std::span<const float> embedding) const {
    if (embedding.empty()) return false;
    if (!std::all_of(embedding.begin(), embedding.end(), [](float value) { return std::isfinite(value); })) {
        return false;
    }
    float sum = 0;
    for (const float value : embedding) sum += value * value;
    return std::sqrt(sum) > 0.1f;
}

} // namespace razeziruzer
