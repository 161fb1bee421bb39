#pragma once
// What a model accepts for one multi-array feature: a default shape and data
// type, and the set of shapes it admits (one fixed shape, a list of shapes, or a
// size range per dimension).

#include "Platform/CoreML/MLMultiArrayDataType.hpp"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::coreml {

// The platform's raw values.
enum class MLMultiArrayShapeConstraintType : std::int32_t {
    unspecified = 1,
    enumerated = 2,
    range = 3,
};

// Sizes one dimension may take; no upper bound means unbounded.
struct MLSizeRange {
    std::int64_t lowerBound = 0;
    std::optional<std::int64_t> upperBound;

    bool operator==(const MLSizeRange&) const = default;
};

struct MLMultiArrayShapeConstraint {
    MLMultiArrayShapeConstraintType type = MLMultiArrayShapeConstraintType::unspecified;
    std::vector<std::vector<std::int64_t>> enumeratedShapes;
    std::vector<MLSizeRange> sizeRangeForDimension;

    bool operator==(const MLMultiArrayShapeConstraint&) const = default;
};

struct MLMultiArrayConstraint {
    std::vector<std::int64_t> shape;
    MLMultiArrayDataType dataType = MLMultiArrayDataType::float32;
    MLMultiArrayShapeConstraint shapeConstraint;

    // True when an array of that shape may be fed. An unspecified constraint
    // with an empty default shape admits every shape.
    bool admits(const std::vector<std::int64_t>& candidate) const;

    bool operator==(const MLMultiArrayConstraint&) const = default;
};

} // namespace platform::coreml
