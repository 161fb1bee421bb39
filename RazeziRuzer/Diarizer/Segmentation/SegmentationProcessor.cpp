#include "RazeziRuzer/Diarizer/Segmentation/SegmentationProcessor.hpp"

#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"
#include "RazeziRuzer/Shared/MLMultiArrayAdditions.hpp"
#include "RazeziRuzer/Shared/ZeroCopyDiarizerFeatureProvider.hpp"

#include <array>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArrayDataType;

constexpr std::size_t classCount = 7;
constexpr std::size_t speakerCount = 3;

// The local speakers each powerset class stands for.
constexpr std::array<std::array<bool, speakerCount>, classCount> powerset{{
    {false, false, false},
    {true, false, false},
    {false, true, false},
    {false, false, true},
    {true, true, false},
    {true, false, true},
    {false, true, true},
}};

} // namespace

SegmentationProcessor::Output SegmentationProcessor::getSegments(std::span<const float> audioChunk,
                                                                 const platform::coreml::MLModel& segmentationModel,
                                                                 std::int64_t chunkSize) {
    const auto input = memoryOptimizer_.createAlignedArray({1, 1, chunkSize}, MLMultiArrayDataType::float32);
    const auto copied = std::min<std::size_t>(audioChunk.size(), static_cast<std::size_t>(chunkSize));
    memoryOptimizer_.optimizedCopy(audioChunk.first(copied), input, 0, true);
    const ZeroCopyDiarizerFeatureProvider features({{"audio", MLFeatureValue(input)}});
    prefetchToNeuralEngine(input);
    auto output = segmentationModel.prediction(features);

    const auto value = output.featureValue("segments");
    const auto scores = value ? value->multiArrayValue() : std::nullopt;
    if (!scores) throw DiarizerError::processingFailed("Missing segments output from segmentation model");
    const auto& shape = scores->shape();
    if (shape.size() != 3 || shape[0] < 1 || shape[2] != static_cast<std::int64_t>(classCount)) {
        throw DiarizerError::processingFailed("Segmentation output is not [batch, frames, 7]");
    }
    std::vector<std::vector<float>> frameScores(static_cast<std::size_t>(shape[1]));
    for (std::int64_t f = 0; f < shape[1]; ++f) {
        auto& row = frameScores[static_cast<std::size_t>(f)];
        for (std::int64_t c = 0; c < shape[2]; ++c) row.push_back((*scores)[{0, f, c}].floatValue());
    }
    return {BinarizedSegments{powersetConversion(frameScores)}, std::move(output)};
}

std::vector<std::vector<float>> SegmentationProcessor::powersetConversion(
    const std::vector<std::vector<float>>& frameScores) {
    std::vector<std::vector<float>> result;
    result.reserve(frameScores.size());
    for (const auto& scores : frameScores) {
        std::vector<float> speakers(speakerCount, 0.0f);
        if (!scores.empty()) {
            std::size_t best = 0;
            for (std::size_t c = 1; c < scores.size() && c < classCount; ++c) {
                if (scores[c] > scores[best]) best = c;
            }
            for (std::size_t s = 0; s < speakerCount; ++s) speakers[s] = powerset[best][s] ? 1.0f : 0.0f;
        }
        result.push_back(std::move(speakers));
    }
    return result;
}

} // namespace razeziruzer
