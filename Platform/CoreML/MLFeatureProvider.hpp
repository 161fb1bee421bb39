#pragma once
// Anything that presents named feature values to a model or hands a model's
// results back: the set of names, and the value for one name (none when absent).

#include "Platform/CoreML/MLFeatureValue.hpp"

#include <optional>
#include <set>
#include <string>

namespace platform::coreml {

class MLFeatureProvider {
public:
    virtual ~MLFeatureProvider() = default;

    virtual std::set<std::string> featureNames() const = 0;
    virtual std::optional<MLFeatureValue> featureValue(const std::string& featureName) const = 0;
};

} // namespace platform::coreml
