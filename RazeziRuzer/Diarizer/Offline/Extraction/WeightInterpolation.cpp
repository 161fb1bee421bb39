#include "RazeziRuzer/Diarizer/Offline/Extraction/WeightInterpolation.hpp"

#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace razeziruzer::WeightInterpolation {

InterpolationCoefficients::InterpolationCoefficients(std::int64_t inputLength, std::int64_t outputLength)
    : outputLength(outputLength) {
    const float scale = static_cast<float>(outputLength) / static_cast<float>(inputLength);
    const auto last = static_cast<float>(inputLength - 1);
    for (std::int64_t i = 0; i < outputLength; ++i) {
        float p = (static_cast<float>(i) + 0.5f) / scale - 0.5f;
        if (!(p > 0)) p = 0;
        if (p > last) p = last;
        const auto lower = static_cast<std::int64_t>(std::floor(p));
        const auto upper = std::min(lower + 1, inputLength - 1);
        const float fraction = p - static_cast<float>(lower);
        lowerIndices.push_back(lower);
        upperIndices.push_back(upper);
        lowerWeights.push_back(1.0f - fraction);
        upperWeights.push_back(fraction);
        maxSourceIndex = std::max(maxSourceIndex, upper);
    }
}

std::vector<float> InterpolationCoefficients::interpolate(std::span<const float> input) const {
    if (input.empty()) return {};
    if (static_cast<std::int64_t>(input.size()) <= maxSourceIndex) {
        throw OfflineDiarizationError::processingFailed("frame weights hold " + std::to_string(input.size()) +
                                                        " values, interpolation needs " +
                                                        std::to_string(maxSourceIndex + 1));
    }
    std::vector<float> output(static_cast<std::size_t>(outputLength));
    for (std::size_t i = 0; i < output.size(); ++i) {
        output[i] = input[static_cast<std::size_t>(upperIndices[i])] * upperWeights[i] +
                    input[static_cast<std::size_t>(lowerIndices[i])] * lowerWeights[i];
    }
    return output;
}

} // namespace razeziruzer::WeightInterpolation
