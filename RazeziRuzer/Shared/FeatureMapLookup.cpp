#include "RazeziRuzer/Shared/FeatureMapLookup.hpp"

namespace razeziruzer {

std::set<std::string> featureMapNames(const std::map<std::string, platform::coreml::MLFeatureValue>& features) {
    std::set<std::string> names;
    for (const auto& [name, value] : features) names.insert(name);
    return names;
}

std::optional<platform::coreml::MLFeatureValue> featureMapValue(
    const std::map<std::string, platform::coreml::MLFeatureValue>& features, const std::string& featureName) {
    const auto found = features.find(featureName);
    if (found == features.end()) return std::nullopt;
    return found->second;
}

} // namespace razeziruzer
