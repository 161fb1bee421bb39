#pragma once
// How a model declares one of its inputs, outputs or states: name, kind, and
// for multi-arrays and states the accepted shapes and data type.

#include "Platform/CoreML/MLFeatureValue.hpp"
#include "Platform/CoreML/MLMultiArrayConstraint.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::coreml {

// Layout of one state buffer of a stateful model.
struct MLStateConstraint {
    std::vector<std::int64_t> bufferShape;
    MLMultiArrayDataType dataType = MLMultiArrayDataType::float16;

    bool operator==(const MLStateConstraint&) const = default;
};

struct MLFeatureDescription {
    std::string name;
    MLFeatureType type = MLFeatureType::invalid;
    bool isOptional = false;
    std::optional<MLMultiArrayConstraint> multiArrayConstraint;
    std::optional<MLStateConstraint> stateConstraint;

    // A multi-array feature of one fixed shape.
    static MLFeatureDescription multiArray(std::string name, std::vector<std::int64_t> shape,
                                           MLMultiArrayDataType dataType);
    static MLFeatureDescription multiArray(std::string name, MLMultiArrayConstraint constraint);
    static MLFeatureDescription state(std::string name, std::vector<std::int64_t> bufferShape,
                                      MLMultiArrayDataType dataType);

    bool operator==(const MLFeatureDescription&) const = default;
};

} // namespace platform::coreml
