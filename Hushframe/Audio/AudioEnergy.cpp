#include "Hushframe/Audio/AudioEnergy.hpp"

#include "Hushframe/Audio/EnergyVAD.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace hushframe {

namespace {

constexpr float defaultReference = 0.001F;
constexpr float referenceFloor = 1e-8F;
constexpr float secondsPerValue = 0.1F;
constexpr std::int64_t newestValuesSkipped = 10;

} // namespace

float AudioEnergy::calculateAverageEnergy(std::span<const float> of) {
    if (of.empty()) {
        return 0;
    }
    double sumOfSquares = 0;
    for (const float sample : of) sumOfSquares += double{sample} * sample;
    return static_cast<float>(std::sqrt(sumOfSquares / static_cast<double>(of.size())));
}

AudioEnergy::Measures AudioEnergy::calculateEnergy(std::span<const float> of) {
    if (of.empty()) {
        return {};
    }
    const auto byMagnitude = [](float a, float b) { return std::fabs(a) < std::fabs(b); };
    const auto [smallest, largest] = std::minmax_element(of.begin(), of.end(), byMagnitude);
    return {calculateAverageEnergy(of), std::fabs(*largest), std::fabs(*smallest)};
}

float AudioEnergy::calculateRelativeEnergy(std::span<const float> of, std::optional<float> relativeTo) {
    const float reference = relativeTo ? std::max(*relativeTo, referenceFloor) : defaultReference;
    const float signalDb = 20.0F * std::log10(calculateAverageEnergy(of));
    const float referenceDb = 20.0F * std::log10(reference);
    const float x = (signalDb - referenceDb) / (0.0F - referenceDb);
    if (std::isnan(x)) {
        return 0;
    }
    return std::max(std::min(x, 1.0F), 0.0F);
}

bool AudioEnergy::isVoiceDetected(std::span<const float> in, float nextBufferInSeconds, float silenceThreshold) {
    const float values = nextBufferInSeconds / secondsPerValue;
    // Outside this range the count has no integer value.
    if (!std::isfinite(values) || std::fabs(values) >= 9.2e18F) {
        return false;
    }
    const auto size = static_cast<std::int64_t>(in.size());
    const std::int64_t wanted = std::max<std::int64_t>(static_cast<std::int64_t>(values), 0);
    const auto recent = in.subspan(static_cast<std::size_t>(size - std::min(wanted, size)));
    const auto recentCount = static_cast<std::int64_t>(recent.size());
    const std::int64_t k = std::max(recentCount - newestValuesSkipped, newestValuesSkipped);
    const auto window = recent.first(static_cast<std::size_t>(std::min(k, recentCount)));
    return std::any_of(window.begin(), window.end(), [&](float value) { return value > silenceThreshold; });
}

std::vector<VoiceActivityDetector::Range> AudioEnergy::calculateNonSilentChunks(std::span<const float> in) {
    return EnergyVAD(16000, 1600, 0, 0.02F).calculateActiveChunks(in);
}

} // namespace hushframe
