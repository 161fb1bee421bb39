#pragma once
// Names and lookup over a map of feature values, shared by the providers that
// hold one.

#include "Platform/CoreML/MLFeatureValue.hpp"

#include <map>
#include <optional>
#include <set>
#include <string>

namespace razeziruzer {

std::set<std::string> featureMapNames(const std::map<std::string, platform::coreml::MLFeatureValue>& features);
std::optional<platform::coreml::MLFeatureValue> featureMapValue(
    const std::map<std::string, platform::coreml::MLFeatureValue>& features, const std::string& featureName);

} // namespace razeziruzer
