#pragma once
// Runs the speaker-embedding model: one 256-value embedding per frame mask
// over a block of audio (10 s at 16 kHz). Masks too weak to describe a speaker
// get zeros without a model run.

#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/Shared/ANEMemoryOptimizer.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <span>
#include <vector>

namespace razeziruzer {

class EmbeddingExtractor {
public:
    static constexpr std::int64_t waveformLength = 160000;
    static constexpr std::int64_t embeddingSize = 256;

    explicit EmbeddingExtractor(platform::coreml::MLModel embeddingModel);

    // One embedding per mask, in order; all masks have the first one's
    // length. Short audio is repeated to fill the window and each mask's
    // frames beyond the audio repeat its covered frames. A prediction error
    // fails the whole call.
    std::vector<std::vector<float>> getEmbeddings(std::span<const float> audio,
                                                  const std::vector<std::vector<float>>& masks,
                                                  float minActivityThreshold);

private:
    std::vector<float> embeddingRow(const platform::coreml::MLMultiArray& output, std::int64_t speakerIndex);

    platform::coreml::MLModel wespeakerModel_;
    AppLogger logger_{"EmbeddingExtractor"};
    ANEMemoryOptimizer memoryOptimizer_;
};

} // namespace razeziruzer
