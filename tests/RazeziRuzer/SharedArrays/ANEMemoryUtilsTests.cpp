#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"

#include "Platform/Accel/Float16.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace razeziruzer {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using Shape = std::vector<std::int64_t>;

template <typename Kind>
void expectKind(Kind expected, const auto& action) {
    try {
        action();
        ADD_FAILURE() << "no error thrown";
    } catch (const platform::ErrorOf<Kind>& error) {
        EXPECT_EQ(error.kind(), expected);
    }
}

// A dense float32 array whose elements count 0, 1, 2, ... in row-major order.
MLMultiArray counting(const Shape& shape) {
    MLMultiArray array(shape, MLMultiArrayDataType::float32);
    for (std::int64_t i = 0; i < array.count(); ++i) array[i] = static_cast<double>(i);
    return array;
}

TEST(ANEMemoryUtilsTests, OptimalStridesPadTheInnermostRowToSixteen) {
    const std::vector<std::pair<Shape, Shape>> cases = {
        {{1, 80, 100}, {8960, 112, 1}}, {{3, 32}, {32, 1}}, {{2, 16}, {16, 1}},
        {{5}, {1}},                     {{}, {}},           {{2, 3, 1}, {48, 16, 1}},
    };
    for (const auto& [shape, strides] : cases) {
        EXPECT_EQ(ANEMemoryUtils::calculateOptimalStrides(shape), strides);
    }
}

TEST(ANEMemoryUtilsTests, ElementSizesAreTheStorageSizes) {
    EXPECT_EQ(ANEMemoryUtils::getElementSize(MLMultiArrayDataType::float16), 2u);
    EXPECT_EQ(ANEMemoryUtils::getElementSize(MLMultiArrayDataType::float32), 4u);
    EXPECT_EQ(ANEMemoryUtils::getElementSize(MLMultiArrayDataType::int32), 4u);
    EXPECT_EQ(ANEMemoryUtils::getElementSize(MLMultiArrayDataType::float64), 8u);
    EXPECT_EQ(ANEMemoryUtils::getElementSize(MLMultiArrayDataType::int8), 1u);
}

TEST(ANEMemoryUtilsTests, AlignedArraysOwnTheirWholePaddedSpanAndAreCleared) {
    const std::vector<std::pair<Shape, MLMultiArrayDataType>> cases = {
        {{1, 3}, MLMultiArrayDataType::float32},    {{1, 1, 17}, MLMultiArrayDataType::float16},
        {{2, 3, 5}, MLMultiArrayDataType::float64}, {{4, 0}, MLMultiArrayDataType::int32},
        {{0, 7}, MLMultiArrayDataType::float32},    {{7}, MLMultiArrayDataType::int8},
    };
    for (const auto& [shape, type] : cases) {
        SCOPED_TRACE(testing::PrintToString(shape));
        const auto array = ANEMemoryUtils::createAlignedArray(shape, type, true);
        EXPECT_EQ(array.shape(), shape);
        EXPECT_EQ(array.strides(), ANEMemoryUtils::calculateOptimalStrides(shape));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array.dataPointer()) % ANEMemoryUtils::aneAlignment, 0u);
        // The padded span, or one aligned block at least, is readable and cleared
        // (the address sanitizer catches a shorter allocation).
        const auto span = std::max<std::size_t>(array.strides()[0] * shape[0] * ANEMemoryUtils::getElementSize(type),
                                                ANEMemoryUtils::aneAlignment);
        const auto* bytes = static_cast<const unsigned char*>(array.dataPointer());
        for (std::size_t i = 0; i < span; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
    }
    const auto padded = ANEMemoryUtils::createAlignedArray({1, 3}, MLMultiArrayDataType::float32, false);
    EXPECT_EQ(padded.strides(), (Shape{16, 1}));
}

TEST(ANEMemoryUtilsTests, ImpossibleShapesAreRejected) {
    expectKind(ANEMemoryErrorKind::invalidShape,
               [] { ANEMemoryUtils::createAlignedArray({2, -3}, MLMultiArrayDataType::float32, true); });
    expectKind(ANEMemoryErrorKind::invalidShape, [] {
        ANEMemoryUtils::createAlignedArray({INT64_MAX / 8, 64}, MLMultiArrayDataType::float32, true);
    });
    EXPECT_EQ(ANEMemoryError(ANEMemoryErrorKind::unsupportedDataType).description(),
              "ANEMemoryError.unsupportedDataType");
}

TEST(ANEMemoryUtilsTests, ZeroCopyViewSharesTheSourceAndOutlivesIt) {
    std::optional<MLMultiArray> view;
    {
        auto source = ANEMemoryUtils::createAlignedArray({4, 3}, MLMultiArrayDataType::float32, true);
        source[{2, 1}] = 7.0;
        view = ANEMemoryUtils::createZeroCopyView(source, 32, {1, 3});
        EXPECT_EQ(view->strides(), (Shape{16, 1}));
        (*view)[{0, 2}] = 9.0;
        EXPECT_EQ((source[{2, 2}].doubleValue()), 9.0);
    }
    // The source handle is gone; the view still reads its storage.
    EXPECT_EQ(((*view)[{0, 1}]).doubleValue(), 7.0);
}

TEST(ANEMemoryUtilsTests, ZeroCopyViewMustStayInsideTheSourceElements) {
    const auto padded = ANEMemoryUtils::createAlignedArray({4, 3}, MLMultiArrayDataType::float32, true);
    const MLMultiArray dense({1, 19}, MLMultiArrayDataType::float32);
    struct Case {
        const MLMultiArray* source;
        std::int64_t offset;
        Shape shape;
        std::optional<Shape> strides;
        bool fits;
    };
    const std::vector<Case> cases = {
        {&padded, 48, {1, 3}, std::nullopt, true},   // the last row
        {&padded, 49, {1, 3}, std::nullopt, false},  // one past the last element
        {&padded, 0, {4, 3}, Shape{16, 1}, true},
        {&padded, 0, {3, 4}, Shape{16, 1}, true},    // rows of four read padding inside the source
        {&padded, 0, {4, 4}, Shape{16, 1}, false},   // the last row's fourth element is past the end
        {&dense, 16, {1, 3}, std::nullopt, true},    // optimal strides, but only three elements touched
        {&dense, 17, {1, 3}, std::nullopt, false},
        {&dense, 0, {3, 2}, Shape{1, 20}, false},    // a transposed layout reaching element 22
        {&dense, 0, {2, 10}, Shape{1, 1}, true},
        {&dense, -1, {1}, std::nullopt, false},
        {&dense, 19, {0}, std::nullopt, true},       // an empty view at the end
        {&dense, 20, {0}, std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("offset " + std::to_string(c.offset) + " shape " + testing::PrintToString(c.shape));
        if (c.fits) {
            EXPECT_NO_THROW(ANEMemoryUtils::createZeroCopyView(*c.source, c.offset, c.shape, c.strides));
        } else {
            expectKind(ANEMemoryErrorKind::invalidShape,
                       [&] { ANEMemoryUtils::createZeroCopyView(*c.source, c.offset, c.shape, c.strides); });
        }
    }
}

TEST(ANEMemoryUtilsTests, StrideAwareCopyMovesElementsBetweenLayouts) {
    const auto dense = counting({3, 5});
    auto padded = ANEMemoryUtils::createAlignedArray({3, 5}, MLMultiArrayDataType::float32, false);
    auto* raw = padded.dataPointer<float>();
    std::fill(raw, raw + 48, -1.0F);
    ANEMemoryUtils::strideAwareCopy(dense, padded);
    for (std::int64_t i = 0; i < 15; ++i) EXPECT_EQ(padded[i].doubleValue(), i);
    EXPECT_EQ(raw[5], -1.0F) << "padding is not part of the copy";
    EXPECT_EQ(raw[47], -1.0F);

    MLMultiArray back({3, 5}, MLMultiArrayDataType::float32);
    ANEMemoryUtils::strideAwareCopy(padded, back);
    for (std::int64_t i = 0; i < 15; ++i) EXPECT_EQ(back[i].doubleValue(), i);

    // Equal strides with gaps between rows: the gaps belong to someone else.
    MLMultiArray storage({4, 8}, MLMultiArrayDataType::float32, 5.0);
    const auto evenRows = ANEMemoryUtils::createZeroCopyView(storage, 0, {2, 8}, Shape{16, 1});
    const auto source = ANEMemoryUtils::createZeroCopyView(counting({4, 8}), 0, {2, 8}, Shape{16, 1});
    ANEMemoryUtils::strideAwareCopy(source, evenRows);
    EXPECT_EQ((storage[{1, 0}].doubleValue()), 5.0);
    EXPECT_EQ((storage[{2, 3}].doubleValue()), 19.0);
}

TEST(ANEMemoryUtilsTests, StrideAwareCopyRejectsMismatchedArrays) {
    const MLMultiArray source({2, 3}, MLMultiArrayDataType::float32, 1.0);
    const MLMultiArray otherShape({3, 2}, MLMultiArrayDataType::float32);
    const MLMultiArray otherType({2, 3}, MLMultiArrayDataType::int32);
    expectKind(ANEMemoryErrorKind::invalidShape, [&] { ANEMemoryUtils::strideAwareCopy(source, otherShape); });
    expectKind(ANEMemoryErrorKind::unsupportedDataType, [&] { ANEMemoryUtils::strideAwareCopy(source, otherType); });
    EXPECT_EQ(otherShape[0].doubleValue(), 0.0);
}

TEST(ANEMemoryUtilsTests, Float16ConversionFollowsTheStridesOfPaddedArrays) {
    // Source rows of 5 padded to 16: a dense reading would convert padding.
    auto source = ANEMemoryUtils::createAlignedArray({3, 5}, MLMultiArrayDataType::float32, false);
    std::fill(source.dataPointer<float>(), source.dataPointer<float>() + 48, 1000.0F);
    ANEMemoryUtils::strideAwareCopy(counting({3, 5}), source);
    const auto half = ANEMemoryUtils::convertToFloat16(source);
    EXPECT_EQ(half.dataType(), MLMultiArrayDataType::float16);
    EXPECT_EQ(half.shape(), (Shape{3, 5}));
    EXPECT_EQ(half.strides(), (Shape{16, 1}));
    for (std::int64_t i = 0; i < 15; ++i) EXPECT_EQ(half[i].doubleValue(), i) << "element " << i;

    // A strided source view (every other column) converts element by element.
    const auto columns = ANEMemoryUtils::createZeroCopyView(counting({2, 6}), 0, {2, 3}, Shape{6, 2});
    const auto fromColumns = ANEMemoryUtils::convertToFloat16(columns);
    const std::vector<double> expected = {0, 2, 4, 6, 8, 10};
    for (std::int64_t i = 0; i < 6; ++i) EXPECT_EQ(fromColumns[i].doubleValue(), expected[i]);

    EXPECT_EQ(ANEMemoryUtils::convertToFloat16(MLMultiArray({1, 0}, MLMultiArrayDataType::float32)).count(), 0);
    EXPECT_EQ(platform::accel::halfToFloat(ANEMemoryUtils::convertToFloat16(counting({1, 4}))
                                               .dataPointer<std::uint16_t>()[3]),
              3.0F);
}

TEST(ANEMemoryUtilsTests, Float16ConversionNeedsFloat32) {
    for (const auto type : {MLMultiArrayDataType::float16, MLMultiArrayDataType::float64, MLMultiArrayDataType::int32}) {
        expectKind(ANEMemoryErrorKind::unsupportedDataType,
                   [&] { ANEMemoryUtils::convertToFloat16(MLMultiArray({2, 2}, type)); });
    }
}

} // namespace
} // namespace razeziruzer
