#include "Platform/CoreML/MLMultiArrayConstraint.hpp"

#include <algorithm>

namespace platform::coreml {
namespace {

bool withinRanges(const std::vector<MLSizeRange>& ranges, const std::vector<std::int64_t>& candidate) {
    if (ranges.size() != candidate.size()) {
        return false;
    }
    for (std::size_t axis = 0; axis < ranges.size(); ++axis) {
        const auto& range = ranges[axis];
        if (candidate[axis] < range.lowerBound || (range.upperBound && candidate[axis] > *range.upperBound)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool MLMultiArrayConstraint::admits(const std::vector<std::int64_t>& candidate) const {
    switch (shapeConstraint.type) {
    case MLMultiArrayShapeConstraintType::enumerated:
        return std::find(shapeConstraint.enumeratedShapes.begin(), shapeConstraint.enumeratedShapes.end(),
                         candidate) != shapeConstraint.enumeratedShapes.end();
    case MLMultiArrayShapeConstraintType::range:
        return withinRanges(shapeConstraint.sizeRangeForDimension, candidate);
    case MLMultiArrayShapeConstraintType::unspecified:
        break;
    }
    return shape.empty() || candidate == shape;
}

} // namespace platform::coreml
