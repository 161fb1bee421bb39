#pragma once
// What the windowed segmentation found: per window and frame, the class
// log-probabilities and each local speaker's activity weight; and the same
// for one window, as streamed to the embedding stage while segmentation runs.

#include <cstdint>
#include <vector>

namespace razeziruzer {

using FrameRows = std::vector<std::vector<float>>;

struct SegmentationOutput {
    std::vector<FrameRows> logProbs;
    std::vector<FrameRows> speakerWeights;
    std::int64_t numChunks = 0;
    std::int64_t numFrames = 0;
    std::int64_t numSpeakers = 0;
    std::vector<double> chunkOffsets;  // seconds
    double frameDuration = 0;          // seconds
};

struct SegmentationChunk {
    std::int64_t chunkIndex = 0;
    double chunkOffsetSeconds = 0;
    double frameDuration = 0;
    FrameRows logProbs;
    FrameRows speakerWeights;
};

} // namespace razeziruzer
