#pragma once
// A feature provider over a fixed map from feature name to value. Multi-array
// values share their storage with the arrays they were made from.

#include "Platform/CoreML/MLFeatureProvider.hpp"

#include <map>

namespace platform::coreml {

class MLDictionaryFeatureProvider : public MLFeatureProvider {
public:
    // Throws MLModelError (featureType) for an empty name or an undefined value.
    explicit MLDictionaryFeatureProvider(std::map<std::string, MLFeatureValue> dictionary);

    const std::map<std::string, MLFeatureValue>& dictionary() const { return dictionary_; }

    std::set<std::string> featureNames() const override;
    std::optional<MLFeatureValue> featureValue(const std::string& featureName) const override;

private:
    std::map<std::string, MLFeatureValue> dictionary_;
};

} // namespace platform::coreml
