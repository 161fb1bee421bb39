#pragma once
// An ordered batch of feature providers, one per example, for batch prediction.

#include "Platform/CoreML/MLFeatureProvider.hpp"

#include <cstddef>
#include <memory>
#include <vector>

namespace platform::coreml {

class MLArrayBatchProvider {
public:
    MLArrayBatchProvider() = default;
    // Throws MLModelError (featureType) when an entry is null.
    explicit MLArrayBatchProvider(std::vector<std::shared_ptr<const MLFeatureProvider>> array);

    const std::vector<std::shared_ptr<const MLFeatureProvider>>& array() const { return array_; }
    std::size_t count() const { return array_.size(); }
    const MLFeatureProvider& features(std::size_t index) const { return *array_.at(index); }

private:
    std::vector<std::shared_ptr<const MLFeatureProvider>> array_;
};

} // namespace platform::coreml
