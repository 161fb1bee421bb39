#pragma once
// One local speaker's embedding in one window, with the mask it was computed
// from, its active span and its PLDA projection.

#include <cstdint>
#include <vector>

namespace razeziruzer {

struct TimedEmbedding {
    std::int64_t chunkIndex = 0;
    std::int64_t speakerIndex = 0;
    std::int64_t startFrame = 0;
    std::int64_t endFrame = 0;  // inclusive
    std::vector<float> frameWeights;
    double startTime = 0;  // seconds in the recording
    double endTime = 0;
    std::vector<float> embedding256;
    std::vector<double> rho128;
};

} // namespace razeziruzer
