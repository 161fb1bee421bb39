#include "Platform/CoreML/MLArrayBatchProvider.hpp"

#include "Platform/CoreML/MLModelError.hpp"

#include <string>

namespace platform::coreml {

MLArrayBatchProvider::MLArrayBatchProvider(std::vector<std::shared_ptr<const MLFeatureProvider>> array)
    : array_(std::move(array)) {
    for (std::size_t index = 0; index < array_.size(); ++index) {
        if (!array_[index]) {
            throw MLModelError(MLModelErrorKind::featureType,
                               "Batch entry " + std::to_string(index) + " has no feature provider");
        }
    }
}

} // namespace platform::coreml
