#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/Recognizer/SlidingWindowAsrConfig.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/Recognizer/SlidingWindowAsrError.hpp"
#include "RazeziRuzer/Shared/DoubleText.hpp"

#include <algorithm>

namespace razeziruzer {

namespace {
constexpr double sampleRate = 16000.0;
constexpr std::int64_t maximumWindowSamples = 240000;

std::int64_t samples(double seconds) { return static_cast<std::int64_t>(seconds * sampleRate); }
} // namespace

const SlidingWindowAsrConfig& SlidingWindowAsrConfig::default_() {
    static const SlidingWindowAsrConfig config{};
    return config;
}

const SlidingWindowAsrConfig& SlidingWindowAsrConfig::streaming() {
    static const SlidingWindowAsrConfig config{11.0, 1.0, 2.0, 2.0, 10.0, 0.80, std::nullopt};
    return config;
}

SlidingWindowAsrConfig SlidingWindowAsrConfig::custom(double chunkDuration, double confirmationThreshold) {
    return {chunkDuration, std::min(0.5 * chunkDuration, 1.0), 2.0, 2.0, 10.0, confirmationThreshold, std::nullopt};
}

SlidingWindowAsrConfig SlidingWindowAsrConfig::applying(TdtConfig settings) const {
    auto copy = *this;
    copy.tdtConfig = std::move(settings);
    return copy;
}

std::int64_t SlidingWindowAsrConfig::chunkSamples() const { return samples(chunkSeconds); }
std::int64_t SlidingWindowAsrConfig::leftSamples() const { return samples(leftContextSeconds); }
std::int64_t SlidingWindowAsrConfig::rightSamples() const { return samples(rightContextSeconds); }
std::int64_t SlidingWindowAsrConfig::windowSamples() const { return leftSamples() + chunkSamples() + rightSamples(); }

ASRConfig SlidingWindowAsrConfig::asrConfig() const {
    return ASRConfig(16000, tdtConfig.value_or(TdtConfig{}), 1024, 4, true, 480000, true, false);
}

void SlidingWindowAsrConfig::validate() const {
    const auto window = windowSamples();
    if (window <= maximumWindowSamples) return;
    throw SlidingWindowAsrError::invalidConfiguration(
        "leftContextSeconds + chunkSeconds + rightContextSeconds = " +
        doubleText(leftContextSeconds + chunkSeconds + rightContextSeconds) + "s (" + std::to_string(window) +
        " samples) exceeds the model's maximum input of 15.0s (240000 samples at 16 kHz)");
}

} // namespace razeziruzer
