#pragma once
// Settings of speech segmentation and of streaming speech events, in seconds,
// and the pair of thresholds both derive from them.

#include <cstdint>
#include <optional>

namespace razeziruzer {

// A chunk at or above `positive` is speech; inside speech a chunk strictly
// below `negative` is silence.
struct VadThresholds {
    float positive = 0;
    float negative = 0;
};

struct VadSegmentationConfig {
    double minSpeechDuration = 0.15;
    double minSilenceDuration = 0.75;
    // Infinity (either sign) means no limit.
    double maxSpeechDuration = 14.0;
    double speechPadding = 0.1;
    float silenceThresholdForSplit = 0.3f;
    std::optional<float> negativeThreshold;
    float negativeThresholdOffset = 0.15f;
    double minSilenceAtMaxSpeech = 0.098;
    bool useMaxPossibleSilenceAtMaxSpeech = true;

    static VadSegmentationConfig default_() { return {}; }

    // Checks every value against its accepted range (NaN fails every check)
    // and throws VadError::invalidConfiguration naming the first bad field.
    static VadSegmentationConfig make(double minSpeechDuration, double minSilenceDuration, double maxSpeechDuration,
                                      double speechPadding, float silenceThresholdForSplit,
                                      std::optional<float> negativeThreshold, float negativeThresholdOffset,
                                      double minSilenceAtMaxSpeech, bool useMaxPossibleSilenceAtMaxSpeech);

    float effectiveNegativeThreshold(float baseThreshold) const;
    // The pair for a detector whose own threshold is `defaultThreshold`.
    VadThresholds thresholds(float defaultThreshold) const;
};

// Seconds at 16 kHz, truncated toward zero. A duration that is not finite or
// whose sample count does not fit in 64 bits throws
// VadError::invalidConfiguration naming the field.
std::int64_t vadDurationSamples(double seconds, const char* field);

} // namespace razeziruzer
