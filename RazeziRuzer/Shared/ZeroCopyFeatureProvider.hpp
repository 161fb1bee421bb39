#pragma once
// An immutable feature provider over a ready map of feature values, so that
// one model's output reaches the next model's input without a copy.

#include "Platform/CoreML/MLFeatureProvider.hpp"

#include <map>
#include <optional>
#include <set>
#include <string>

namespace razeziruzer {

class ZeroCopyFeatureProvider : public platform::coreml::MLFeatureProvider {
public:
    using MLFeatureValue = platform::coreml::MLFeatureValue;

    explicit ZeroCopyFeatureProvider(std::map<std::string, MLFeatureValue> features);

    std::set<std::string> featureNames() const override;
    std::optional<MLFeatureValue> featureValue(const std::string& featureName) const override;

    // The provider's output named outputName as the only feature, named `to`;
    // none when the provider has no such output.
    static std::optional<ZeroCopyFeatureProvider> chain(const platform::coreml::MLFeatureProvider& from,
                                                        const std::string& outputName, const std::string& to);

private:
    const std::map<std::string, MLFeatureValue> features;
};

} // namespace razeziruzer
