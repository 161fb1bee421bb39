#include "RazeziRuzer/Shared/ZeroCopyFeatureProvider.hpp"

#include "RazeziRuzer/Shared/FeatureMapLookup.hpp"

namespace razeziruzer {

ZeroCopyFeatureProvider::ZeroCopyFeatureProvider(std::map<std::string, MLFeatureValue> features)
    : features(std::move(features)) {}

std::set<std::string> ZeroCopyFeatureProvider::featureNames() const { return featureMapNames(features); }

std::optional<platform::coreml::MLFeatureValue> ZeroCopyFeatureProvider::featureValue(
    const std::string& featureName) const {
    return featureMapValue(features, featureName);
}

std::optional<ZeroCopyFeatureProvider> ZeroCopyFeatureProvider::chain(const platform::coreml::MLFeatureProvider& from,
                                                                      const std::string& outputName,
                                                                      const std::string& to) {
    auto value = from.featureValue(outputName);
    if (!value) return std::nullopt;
    return ZeroCopyFeatureProvider({{to, std::move(*value)}});
}

} // namespace razeziruzer
