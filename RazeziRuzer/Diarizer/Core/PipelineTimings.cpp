#include "RazeziRuzer/Diarizer/Core/PipelineTimings.hpp"

#include <array>
#include <utility>

namespace razeziruzer {
namespace {

using Stage = std::pair<const char*, double PipelineTimings::*>;

constexpr std::array<Stage, 6> stages{{
    {"Model Compilation", &PipelineTimings::modelCompilationSeconds},
    {"Audio Loading", &PipelineTimings::audioLoadingSeconds},
    {"Segmentation", &PipelineTimings::segmentationSeconds},
    {"Embedding Extraction", &PipelineTimings::embeddingExtractionSeconds},
    {"Speaker Clustering", &PipelineTimings::speakerClusteringSeconds},
    {"Post Processing", &PipelineTimings::postProcessingSeconds},
}};

constexpr std::array<std::pair<const char*, double PipelineTimings::*>, 8> fields{{
    {"modelCompilationSeconds", &PipelineTimings::modelCompilationSeconds},
    {"audioLoadingSeconds", &PipelineTimings::audioLoadingSeconds},
    {"segmentationSeconds", &PipelineTimings::segmentationSeconds},
    {"embeddingExtractionSeconds", &PipelineTimings::embeddingExtractionSeconds},
    {"speakerClusteringSeconds", &PipelineTimings::speakerClusteringSeconds},
    {"postProcessingSeconds", &PipelineTimings::postProcessingSeconds},
    {"totalInferenceSeconds", &PipelineTimings::totalInferenceSeconds},
    {"totalProcessingSeconds", &PipelineTimings::totalProcessingSeconds},
}};

} // namespace

PipelineTimings::PipelineTimings(double modelCompilationSeconds, double audioLoadingSeconds,
                                 double segmentationSeconds, double embeddingExtractionSeconds,
                                 double speakerClusteringSeconds, double postProcessingSeconds)
    : modelCompilationSeconds(modelCompilationSeconds), audioLoadingSeconds(audioLoadingSeconds),
      segmentationSeconds(segmentationSeconds), embeddingExtractionSeconds(embeddingExtractionSeconds),
      speakerClusteringSeconds(speakerClusteringSeconds), postProcessingSeconds(postProcessingSeconds),
      totalInferenceSeconds(segmentationSeconds + embeddingExtractionSeconds + speakerClusteringSeconds),
      totalProcessingSeconds(modelCompilationSeconds + audioLoadingSeconds + segmentationSeconds +
                             embeddingExtractionSeconds + speakerClusteringSeconds + postProcessingSeconds) {}

std::map<std::string, double> PipelineTimings::stagePercentages() const {
    std::map<std::string, double> percentages;
    if (!(totalProcessingSeconds > 0)) return percentages;
    for (const auto& [name, field] : stages) percentages[name] = this->*field / totalProcessingSeconds * 100;
    return percentages;
}

std::string PipelineTimings::bottleneckStage() const {
    const Stage* best = &stages.front();
    for (const auto& stage : stages) {
        if (this->*stage.second > this->*best->second) best = &stage;
    }
    return best->first;
}

nlohmann::ordered_json PipelineTimings::toJSON() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (const auto& [key, field] : fields) json[key] = this->*field;
    return json;
}

PipelineTimings PipelineTimings::fromJSON(const nlohmann::ordered_json& json) {
    PipelineTimings timings;
    for (const auto& [key, field] : fields) timings.*field = json.at(key).get<double>();
    return timings;
}

} // namespace razeziruzer
