#pragma once
// Checks a prediction's inputs, state and output backings against a model's
// description before and after the backend runs. Each throws MLModelError
// (featureType) with a message naming the feature.

#include "Platform/CoreML/MLFeatureProvider.hpp"
#include "Platform/CoreML/MLModelDescription.hpp"
#include "Platform/CoreML/MLPredictionOptions.hpp"
#include "Platform/CoreML/MLState.hpp"

#include <map>
#include <string>

namespace platform::coreml::validation {

void checkInputs(const MLModelDescription& description, const MLFeatureProvider& input);
void checkState(const MLModelDescription& description, const MLState& state);
// Every backing names a declared output.
void checkBackingNames(const MLModelDescription& description, const MLPredictionOptions& options);
// Every backed output was produced as a multi-array of the backing's shape.
void checkBackingsFit(const std::map<std::string, MLFeatureValue>& outputs, const MLPredictionOptions& options);

} // namespace platform::coreml::validation
