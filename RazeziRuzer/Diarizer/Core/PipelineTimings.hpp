#pragma once
// Durations of the stages of one diarization run, in seconds, with their two
// totals computed once at creation and kept as stored values.

#include <nlohmann/json.hpp>

#include <map>
#include <string>

namespace razeziruzer {

struct PipelineTimings {
    PipelineTimings() = default;
    PipelineTimings(double modelCompilationSeconds, double audioLoadingSeconds, double segmentationSeconds,
                    double embeddingExtractionSeconds, double speakerClusteringSeconds, double postProcessingSeconds);

    double modelCompilationSeconds = 0;
    double audioLoadingSeconds = 0;
    double segmentationSeconds = 0;
    double embeddingExtractionSeconds = 0;
    double speakerClusteringSeconds = 0;
    double postProcessingSeconds = 0;
    double totalInferenceSeconds = 0;
    double totalProcessingSeconds = 0;

    // Each stage's share of the total in percent; empty unless the total is positive.
    std::map<std::string, double> stagePercentages() const;
    // The largest stage; the earliest wins ties and NaN never wins.
    std::string bottleneckStage() const;

    bool operator==(const PipelineTimings&) const = default;

    nlohmann::ordered_json toJSON() const;
    // Every key is required; the stored totals are kept as they stand.
    static PipelineTimings fromJSON(const nlohmann::ordered_json& json);
};

} // namespace razeziruzer
