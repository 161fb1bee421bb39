#pragma once
// Frame-major CTC log-probabilities (one list of natural-log values per frame,
// one value per token id) and their reading from a model output array.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <vector>

namespace razeziruzer {

using CtcLogProbFrames = std::vector<std::vector<float>>;

// The first batch entry of an array of shape [batch, frames, vocabulary size].
// Elements are read through the array's strides and data type; an array of
// fewer than three dimensions has no frames.
CtcLogProbFrames ctcFramesFromArray(const platform::coreml::MLMultiArray& logProbs);

} // namespace razeziruzer
