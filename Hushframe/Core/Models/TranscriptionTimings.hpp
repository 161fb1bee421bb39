#pragma once
// Clock stamps, stage durations (seconds) and run counters of one
// transcription. Build one with designated initialisers; the stamps start at
// the largest finite double so that a run can keep the minimum, and the audio
// length at 0.001 so that ratios over it stay finite.

#include <nlohmann/json_fwd.hpp>

#include <limits>

namespace hushframe {

struct TranscriptionTimings {
    double pipelineStart = std::numeric_limits<double>::max();
    double firstTokenTime = std::numeric_limits<double>::max();
    double inputAudioSeconds = 0.001;
    double modelLoading = 0;
    double prewarmLoadTime = 0;
    double encoderLoadTime = 0;
    double decoderLoadTime = 0;
    double encoderSpecializationTime = 0;
    double decoderSpecializationTime = 0;
    double tokenizerLoadTime = 0;
    double audioLoading = 0;
    double audioProcessing = 0;
    double logmels = 0;
    double encoding = 0;
    double decodingInit = 0;
    double decodingLoop = 0;
    double decodingPredictions = 0;
    double decodingFiltering = 0;
    double decodingSampling = 0;
    double decodingFallback = 0;
    double decodingWindowing = 0;
    double decodingKvCaching = 0;
    // Word-timestamp alignment time.
    double decodingWordTimestamps = 0;
    double decodingNonPrediction = 0;
    double totalAudioProcessingRuns = 0;
    double totalLogmelRuns = 0;
    double totalEncodingRuns = 0;
    double totalDecodingLoops = 0;
    double totalKVUpdateRuns = 0;
    double totalTimestampAlignmentRuns = 0;
    double totalDecodingFallbacks = 0;
    double totalDecodingWindows = 0;
    double fullPipeline = 0;

    // Plain divisions: a zero divisor gives an infinity or NaN.
    double tokensPerSecond() const { return totalDecodingLoops / fullPipeline; }
    double realTimeFactor() const { return fullPipeline / inputAudioSeconds; }
    double speedFactor() const { return inputAudioSeconds / fullPipeline; }

    bool operator==(const TranscriptionTimings&) const = default;
};

// One number per field, keyed by the field's name and written in field
// order; reading needs all 33.
void to_json(nlohmann::ordered_json& json, const TranscriptionTimings& timings);
void from_json(const nlohmann::ordered_json& json, TranscriptionTimings& timings);

} // namespace hushframe
