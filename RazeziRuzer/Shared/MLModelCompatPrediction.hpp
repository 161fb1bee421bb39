#pragma once
// One prediction call the same way on every platform version: the model's
// result for the input, or its error unchanged. Blocks the calling thread.

#include "Platform/CoreML/MLModel.hpp"

namespace razeziruzer {

platform::coreml::MLDictionaryFeatureProvider compatPrediction(const platform::coreml::MLModel& model,
                                                               const platform::coreml::MLFeatureProvider& from,
                                                               const platform::coreml::MLPredictionOptions& options);

} // namespace razeziruzer
