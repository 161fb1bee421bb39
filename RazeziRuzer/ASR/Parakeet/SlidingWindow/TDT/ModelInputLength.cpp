#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ModelInputLength.hpp"

#include <algorithm>

namespace razeziruzer::modelinputlength {
namespace {

using platform::coreml::MLMultiArrayShapeConstraintType;

bool sameLeading(const std::vector<std::int64_t>& a, const std::vector<std::int64_t>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end() - 1, b.begin());
}

} // namespace

bool isFlexible(const platform::coreml::MLFeatureDescription& description) {
    const auto& constraint = description.multiArrayConstraint;
    return constraint && constraint->shapeConstraint.type != MLMultiArrayShapeConstraintType::unspecified;
}

std::optional<std::int64_t> shortestAdmitted(const platform::coreml::MLFeatureDescription& description,
                                             const std::vector<std::int64_t>& shape, std::int64_t atLeast,
                                             std::int64_t atMost) {
    if (!isFlexible(description) || shape.empty() || atLeast > atMost) return std::nullopt;
    const auto& constraint = description.multiArrayConstraint->shapeConstraint;
    std::optional<std::int64_t> best;
    if (constraint.type == MLMultiArrayShapeConstraintType::enumerated) {
        for (const auto& candidate : constraint.enumeratedShapes) {
            if (!sameLeading(candidate, shape)) continue;
            const auto length = candidate.back();
            if (length >= atLeast && length <= atMost && (!best || length < *best)) best = length;
        }
        return best;
    }
    const auto& ranges = constraint.sizeRangeForDimension;
    if (ranges.size() != shape.size()) return std::nullopt;
    for (std::size_t axis = 0; axis + 1 < shape.size(); ++axis) {
        const auto& range = ranges[axis];
        if (shape[axis] < range.lowerBound || (range.upperBound && shape[axis] > *range.upperBound)) {
            return std::nullopt;
        }
    }
    const auto& time = ranges.back();
    const auto length = std::max(atLeast, time.lowerBound);
    if (length > atMost || (time.upperBound && length > *time.upperBound)) return std::nullopt;
    return length;
}

} // namespace razeziruzer::modelinputlength
