// The shortest input length a model's declaration admits, for the three kinds
// of declaration: fixed, a list of shapes, and a size range per dimension.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ModelInputLength.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using namespace platform::coreml;

MLFeatureDescription declared(std::vector<std::int64_t> shape, MLMultiArrayShapeConstraint flexibility = {}) {
    MLMultiArrayConstraint constraint{std::move(shape), MLMultiArrayDataType::float32, std::move(flexibility)};
    return MLFeatureDescription::multiArray("mel", constraint);
}

TEST(ModelInputLength, ShortestAdmittedLengthWithinBounds) {
    const auto enumerated = declared({1, 4, 1504}, {MLMultiArrayShapeConstraintType::enumerated,
                                                    {{1, 4, 1504}, {1, 4, 512}, {1, 4, 256}, {1, 8, 100}},
                                                    {}});
    const auto ranged = declared({1, 4, 1504}, {MLMultiArrayShapeConstraintType::range, {}, {{1, 1}, {4, 4}, {64, 1504}}});
    const auto unbounded = declared({1, 4, 1504}, {MLMultiArrayShapeConstraintType::range, {}, {{1, 1}, {1, std::nullopt}, {1, std::nullopt}}});
    struct Case {
        const char* name;
        MLFeatureDescription description;
        std::vector<std::int64_t> shape;
        std::int64_t atLeast, atMost;
        std::optional<std::int64_t> expected;
    };
    const std::vector<Case> cases{
        {"fixed: never shortened", declared({1, 4, 1504}), {1, 4, 1504}, 100, 1504, std::nullopt},
        {"nothing declared", declared({}), {1, 4, 1504}, 100, 1504, std::nullopt},
        {"enumerated: smallest listed above the need", enumerated, {1, 4, 1504}, 152, 1504, 256},
        {"enumerated: exactly a listed length", enumerated, {1, 4, 1504}, 512, 1504, 512},
        {"enumerated: the need passes every shorter one", enumerated, {1, 4, 1504}, 1100, 1504, 1504},
        {"enumerated: other dimensions must match", enumerated, {1, 8, 1504}, 50, 1504, 100},
        {"enumerated: nothing within the upper bound", enumerated, {1, 4, 200}, 152, 200, std::nullopt},
        {"range: the need itself", ranged, {1, 4, 1504}, 152, 1504, 152},
        {"range: raised to the lower bound", ranged, {1, 4, 1504}, 10, 1504, 64},
        {"range: lower bound past the upper limit", ranged, {1, 4, 50}, 10, 50, std::nullopt},
        {"range: a leading dimension out of range", ranged, {1, 5, 1504}, 152, 1504, std::nullopt},
        {"range: rank differs", ranged, {4, 1504}, 152, 1504, std::nullopt},
        {"range: unbounded", unbounded, {1, 4, 1504}, 152, 1504, 152},
        {"bounds crossed", ranged, {1, 4, 1504}, 300, 200, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(modelinputlength::shortestAdmitted(c.description, c.shape, c.atLeast, c.atMost), c.expected);
    }
    EXPECT_FALSE(modelinputlength::isFlexible(declared({1, 4, 1504})));
    EXPECT_TRUE(modelinputlength::isFlexible(enumerated));
    EXPECT_TRUE(modelinputlength::isFlexible(ranged));
}

} // namespace
} // namespace razeziruzer
