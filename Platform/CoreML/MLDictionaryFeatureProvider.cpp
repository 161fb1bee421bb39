#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"

#include "Platform/CoreML/MLModelError.hpp"

namespace platform::coreml {

MLDictionaryFeatureProvider::MLDictionaryFeatureProvider(std::map<std::string, MLFeatureValue> dictionary)
    : dictionary_(std::move(dictionary)) {
    for (const auto& [name, value] : dictionary_) {
        if (name.empty()) {
            throw MLModelError(MLModelErrorKind::featureType, "A feature name must not be empty");
        }
        if (value.isUndefined()) {
            throw MLModelError(MLModelErrorKind::featureType,
                               "The value for feature \"" + name + "\" is not a valid feature value");
        }
    }
}

std::set<std::string> MLDictionaryFeatureProvider::featureNames() const {
    std::set<std::string> names;
    for (const auto& entry : dictionary_) {
        names.insert(entry.first);
    }
    return names;
}

std::optional<MLFeatureValue> MLDictionaryFeatureProvider::featureValue(const std::string& featureName) const {
    const auto found = dictionary_.find(featureName);
    if (found == dictionary_.end()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace platform::coreml
