#include "RazeziRuzer/Shared/ZeroCopyDiarizerFeatureProvider.hpp"

#include "RazeziRuzer/Shared/FeatureMapLookup.hpp"

#include <algorithm>

namespace razeziruzer {

ZeroCopyDiarizerFeatureProvider::ZeroCopyDiarizerFeatureProvider(std::map<std::string, MLFeatureValue> features)
    : features(std::move(features)) {}

std::set<std::string> ZeroCopyDiarizerFeatureProvider::featureNames() const { return featureMapNames(features); }

std::optional<platform::coreml::MLFeatureValue> ZeroCopyDiarizerFeatureProvider::featureValue(
    const std::string& featureName) const {
    return featureMapValue(features, featureName);
}

std::optional<ZeroCopyDiarizerFeatureProvider> ZeroCopyDiarizerFeatureProvider::chain(
    const platform::coreml::MLFeatureProvider& from, const std::string& outputName, const std::string& to,
    std::map<std::string, MLFeatureValue> additionalFeatures) {
    auto value = from.featureValue(outputName);
    if (!value) return std::nullopt;
    additionalFeatures.insert_or_assign(to, std::move(*value));
    return ZeroCopyDiarizerFeatureProvider(std::move(additionalFeatures));
}

std::vector<ZeroCopyDiarizerFeatureProvider> ZeroCopyDiarizerFeatureProvider::batchProvider(
    const std::vector<MLMultiArray>& waveforms, const std::vector<MLMultiArray>& masks) {
    const auto pairs = std::min(waveforms.size(), masks.size());
    std::vector<ZeroCopyDiarizerFeatureProvider> providers;
    providers.reserve(pairs);
    for (std::size_t i = 0; i < pairs; ++i) {
        providers.emplace_back(std::map<std::string, MLFeatureValue>{{"waveform", waveforms[i]}, {"mask", masks[i]}});
    }
    return providers;
}

} // namespace razeziruzer
