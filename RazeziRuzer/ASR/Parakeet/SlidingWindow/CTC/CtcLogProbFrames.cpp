#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcLogProbFrames.hpp"

namespace razeziruzer {

CtcLogProbFrames ctcFramesFromArray(const platform::coreml::MLMultiArray& logProbs) {
    const auto& shape = logProbs.shape();
    if (shape.size() < 3 || shape[0] < 1) return {};
    const std::int64_t frameCount = shape[1];
    const std::int64_t vocabularySize = shape[2];
    std::vector<std::int64_t> index(shape.size(), 0);
    CtcLogProbFrames frames;
    frames.reserve(static_cast<std::size_t>(std::max<std::int64_t>(frameCount, 0)));
    for (std::int64_t t = 0; t < frameCount; ++t) {
        std::vector<float> frame(static_cast<std::size_t>(std::max<std::int64_t>(vocabularySize, 0)));
        index[1] = t;
        for (std::int64_t v = 0; v < vocabularySize; ++v) {
            index[2] = v;
            frame[static_cast<std::size_t>(v)] = logProbs[std::span<const std::int64_t>(index)].floatValue();
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

} // namespace razeziruzer
