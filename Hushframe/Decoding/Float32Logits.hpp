#pragma once
// The filters and the sampler work on float32 [1, 1, V] scores; a model that
// returns its logits in another element type or layout gets a float32 copy.

#include "Platform/CoreML/MLMultiArray.hpp"

namespace hushframe {

inline platform::coreml::MLMultiArray float32Logits(const platform::coreml::MLMultiArray& logits) {
    using platform::coreml::MLMultiArray;
    using platform::coreml::MLMultiArrayDataType;
    const auto& shape = logits.shape();
    if (logits.dataType() == MLMultiArrayDataType::float32 && shape.size() == 3 && shape[0] == 1 && shape[1] == 1) {
        return logits;
    }
    MLMultiArray copy({1, 1, logits.count()}, MLMultiArrayDataType::float32);
    for (std::int64_t i = 0; i < logits.count(); ++i) copy[i] = logits[i].doubleValue();
    return copy;
}

} // namespace hushframe
