#pragma once
// The prediction calls the Whisper models are run through, on the caller's
// thread; failures of the model pass through unchanged.

#include "Platform/CoreML/MLModel.hpp"

namespace pelluxcore {

platform::coreml::MLDictionaryFeatureProvider asyncPrediction(
    const platform::coreml::MLModel& model, const platform::coreml::MLFeatureProvider& from,
    const platform::coreml::MLPredictionOptions& options = {});

// Stateful prediction: the state's buffers are updated in place.
platform::coreml::MLDictionaryFeatureProvider asyncPrediction(
    const platform::coreml::MLModel& model, const platform::coreml::MLFeatureProvider& from,
    platform::coreml::MLState& using_, const platform::coreml::MLPredictionOptions& options = {});

} // namespace pelluxcore
