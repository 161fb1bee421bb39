#pragma once
// Resamples a list of frame weights from one length to another by linear
// interpolation with half-sample-centred positions: each output value sits at
// the centre of its cell, mapped onto the input's cells. The coefficients are
// computed once per pair of lengths and applied to any input of that length.

#include <cstdint>
#include <span>
#include <vector>

namespace razeziruzer::WeightInterpolation {

struct InterpolationCoefficients {
    // Both lengths at least 1.
    InterpolationCoefficients(std::int64_t inputLength, std::int64_t outputLength);

    // Empty input gives empty output. Throws OfflineDiarizationError
    // (processingFailed) for a non-empty input of no more than
    // maxSourceIndex values.
    std::vector<float> interpolate(std::span<const float> input) const;

    std::vector<std::int64_t> lowerIndices;
    std::vector<std::int64_t> upperIndices;
    std::vector<float> lowerWeights;
    std::vector<float> upperWeights;
    std::int64_t maxSourceIndex = 0;
    std::int64_t outputLength = 0;
};

} // namespace razeziruzer::WeightInterpolation
