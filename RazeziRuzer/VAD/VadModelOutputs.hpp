#pragma once
// Finds a model output by name, tolerating outputs whose names only contain
// the expected one in another letter case.

#include "Platform/CoreML/MLFeatureProvider.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"

#include <optional>
#include <string>

namespace razeziruzer {

// The exact name first; failing that, the first output whose lower-cased name
// contains the lower-cased name decides. Only a multi-array counts as found.
std::optional<platform::coreml::MLMultiArray> featureValue(const platform::coreml::MLFeatureProvider& provider,
                                                           const std::string& matchingSubstring);

} // namespace razeziruzer
