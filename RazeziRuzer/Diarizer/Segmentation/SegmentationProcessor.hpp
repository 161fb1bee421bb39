#pragma once
// Runs the speaker-segmentation model on one chunk and turns its per-frame
// powerset scores into 0/1 activity of up to three chunk-local speakers.

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/Shared/ANEMemoryOptimizer.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <span>
#include <vector>

namespace razeziruzer {

// [batch][frame][local speaker], every value 0 or 1.
using BinarizedSegments = std::vector<std::vector<std::vector<float>>>;

class SegmentationProcessor {
public:
    struct Output {
        BinarizedSegments segments;  // exactly one batch entry
        platform::coreml::MLDictionaryFeatureProvider featureProvider;
    };

    // The model sees the first chunkSize samples, zero-padded. Prediction
    // errors pass through; a missing "segments" output or one that is not
    // [batch, frames, 7] is DiarizerError::processingFailed.
    Output getSegments(std::span<const float> audioChunk, const platform::coreml::MLModel& segmentationModel,
                       std::int64_t chunkSize);

    // Best class per frame (lowest index on ties) expanded to its speakers.
    static std::vector<std::vector<float>> powersetConversion(const std::vector<std::vector<float>>& frameScores);

private:
    AppLogger logger_{"Segmentation"};
    ANEMemoryOptimizer memoryOptimizer_;
};

} // namespace razeziruzer
