#include "RazeziRuzer/VAD/VadSegmentationConfig.hpp"

#include "RazeziRuzer/VAD/VadError.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace razeziruzer {
namespace {

void require(bool accepted, const char* field, const char* range) {
    if (!accepted) throw VadError::invalidConfiguration(std::string(field) + " must be " + range);
}

} // namespace

std::int64_t vadDurationSamples(double seconds, const char* field) {
    const double product = seconds * 16000.0;
    constexpr double limit = 9223372036854775808.0; // 2^63
    require(std::isfinite(product) && product < limit && product > -limit, field,
            "a finite duration whose sample count fits in 64 bits");
    return static_cast<std::int64_t>(product);
}

VadSegmentationConfig VadSegmentationConfig::make(double minSpeechDuration, double minSilenceDuration,
                                                  double maxSpeechDuration, double speechPadding,
                                                  float silenceThresholdForSplit,
                                                  std::optional<float> negativeThreshold,
                                                  float negativeThresholdOffset, double minSilenceAtMaxSpeech,
                                                  bool useMaxPossibleSilenceAtMaxSpeech) {
    // Written so that NaN fails: every test is "value in range".
    require(minSpeechDuration >= 0, "minSpeechDuration", "at least 0");
    require(minSilenceDuration >= 0, "minSilenceDuration", "at least 0");
    require(maxSpeechDuration > 0, "maxSpeechDuration", "greater than 0");
    require(speechPadding >= 0, "speechPadding", "at least 0");
    require(silenceThresholdForSplit >= 0 && silenceThresholdForSplit <= 1, "silenceThresholdForSplit",
            "from 0 to 1");
    require(!negativeThreshold || (*negativeThreshold >= 0 && *negativeThreshold <= 1), "negativeThreshold",
            "from 0 to 1");
    require(negativeThresholdOffset >= 0, "negativeThresholdOffset", "at least 0");
    require(minSilenceAtMaxSpeech >= 0, "minSilenceAtMaxSpeech", "at least 0");
    return {minSpeechDuration, minSilenceDuration, maxSpeechDuration, speechPadding, silenceThresholdForSplit,
            negativeThreshold, negativeThresholdOffset, minSilenceAtMaxSpeech, useMaxPossibleSilenceAtMaxSpeech};
}

float VadSegmentationConfig::effectiveNegativeThreshold(float baseThreshold) const {
    if (negativeThreshold) return *negativeThreshold;
    return std::max(0.01f, baseThreshold - negativeThresholdOffset);
}

VadThresholds VadSegmentationConfig::thresholds(float defaultThreshold) const {
    if (negativeThreshold) {
        return {std::min(1.0f, *negativeThreshold + negativeThresholdOffset), *negativeThreshold};
    }
    return {defaultThreshold, effectiveNegativeThreshold(defaultThreshold)};
}

} // namespace razeziruzer
