#pragma once
// How the Nemotron chunk pipelines and decodes build small model inputs and
// read model outputs that may be missing.

#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace razeziruzer::nemotronfeatures {

// An int32 array of this shape whose first element is `value`.
inline platform::coreml::MLMultiArray int32Array(std::vector<std::int64_t> shape, std::int64_t value) {
    platform::coreml::MLMultiArray array(std::move(shape), platform::coreml::MLMultiArrayDataType::int32);
    array[0] = static_cast<double>(value);
    return array;
}

// The named output as a multi-array; none when the model did not give it.
inline std::optional<platform::coreml::MLMultiArray> output(const platform::coreml::MLDictionaryFeatureProvider& provider,
                                                            const std::string& name) {
    const auto value = provider.featureValue(name);
    if (!value) return std::nullopt;
    return value->multiArrayValue();
}

} // namespace razeziruzer::nemotronfeatures
