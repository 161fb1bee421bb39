#include "PelluxCore/MLArrayArgumentError.hpp"
#include "PelluxCore/MLMultiArrayCreationError.hpp"
#include "PelluxCore/MLMultiArrayExtensions.hpp"

#include "Platform/Accel/Float16.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace pelluxcore {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

std::vector<double> elements(const MLMultiArray& array) {
    std::vector<double> values;
    for (std::int64_t i = 0; i < array.count(); ++i) values.push_back(array[i].doubleValue());
    return values;
}

TEST(MakeMultiArray, FillsOnlyWithAValueOfTheMatchingType) {
    EXPECT_EQ(elements(makeMultiArray({2, 3}, MLMultiArrayDataType::float32, 0.5f)), std::vector<double>(6, 0.5));
    EXPECT_EQ(elements(makeMultiArray({2, 3}, MLMultiArrayDataType::float32, 0.5)), std::vector<double>(6, 0.0));
    EXPECT_EQ(elements(makeMultiArray({2}, MLMultiArrayDataType::float64, 0.25)), std::vector<double>(2, 0.25));
    EXPECT_EQ(elements(makeMultiArray({2}, MLMultiArrayDataType::float64, 0.25f)), std::vector<double>(2, 0.0));
    EXPECT_EQ(elements(makeMultiArray({3}, MLMultiArrayDataType::int32, std::int32_t{-7})), std::vector<double>(3, -7));
    EXPECT_EQ(elements(makeMultiArray({3}, MLMultiArrayDataType::int32, std::int64_t{-7})), std::vector<double>(3, 0));
    EXPECT_EQ(elements(makeMultiArray({2}, MLMultiArrayDataType::int8, std::int8_t{5})), std::vector<double>(2, 5));
}

TEST(MakeMultiArray, HalfPrecisionArraysLieOnAPixelBuffer) {
    const auto array = makeMultiArray({1, 4}, MLMultiArrayDataType::float16, -10000.0f);
    EXPECT_EQ(array.dataType(), MLMultiArrayDataType::float16);
    EXPECT_EQ(array.shape(), (std::vector<std::int64_t>{1, 4}));
    const std::uint16_t* bits = array.dataPointer<std::uint16_t>();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(platform::accel::halfToFloat(bits[i]), -10000.0f);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bits) % 64, 0u);

    try {
        makeMultiArray({}, MLMultiArrayDataType::float16, 1.0f);
        FAIL() << "an empty shape has no pixel buffer";
    } catch (const MLMultiArrayCreationError& error) {
        EXPECT_EQ(error.kind(), MLMultiArrayCreationErrorKind::pixelBufferFailed);
        EXPECT_EQ(error.description(), "Failed to create IOSurface-backed pixel buffer for MLMultiArray");
    }
}

TEST(PixelBuffer, WidthIsTheLastDimension) {
    EXPECT_EQ(pixelBuffer({}), std::nullopt);
    struct Case {
        std::vector<std::int64_t> shape;
        std::int64_t width, height;
    };
    for (const auto& c : {Case{{5}, 5, 1}, Case{{2, 3, 4}, 4, 6}}) {
        const auto buffer = pixelBuffer(c.shape);
        ASSERT_TRUE(buffer);
        EXPECT_EQ(buffer->width, c.width);
        EXPECT_EQ(buffer->height, c.height);
        EXPECT_EQ(buffer->pixels.shape(), (std::vector<std::int64_t>{c.height, c.width}));
    }
    const std::int64_t huge = std::numeric_limits<std::int64_t>::max() / 2;
    EXPECT_EQ(pixelBuffer({huge, huge, 4}), std::nullopt);
    EXPECT_EQ(pixelBuffer({2, -1}), std::nullopt);
}

TEST(MultiArrayFrom, IntegerRowOfTheRequestedRank) {
    const std::vector<std::int64_t> values = {7, 8, 9};
    const auto array = multiArrayFrom(values, 3);
    EXPECT_EQ(array.shape(), (std::vector<std::int64_t>{1, 1, 3}));
    EXPECT_EQ(array.dataType(), MLMultiArrayDataType::int32);
    EXPECT_EQ(elements(array), (std::vector<double>{7, 8, 9}));
    EXPECT_EQ(multiArrayFrom(values, 2).shape(), (std::vector<std::int64_t>{1, 3}));

    EXPECT_THROW(multiArrayFrom(values, 0), MLArrayArgumentError);
    const std::vector<std::int64_t> tooLarge = {1, std::int64_t{1} << 31};
    EXPECT_THROW(multiArrayFrom(tooLarge, 1), MLArrayArgumentError);
}

TEST(LinearOffset, SumsOverPositionsBothListsHave) {
    const MLMultiArray array({2, 3}, MLMultiArrayDataType::float32);
    const std::vector<std::int64_t> index = {1, 2};
    const std::vector<std::int64_t> strides = {10, 1, 99};
    EXPECT_EQ(linearOffset(array, index, strides), 12);
    EXPECT_EQ(linearOffset(array, index), 5);
}

TEST(FillIndexes, WritesAtEachIndex) {
    const MLMultiArray array({2, 3}, MLMultiArrayDataType::float32);
    fill(array, {{0, 0}, {1, 2}}, 1.0f);
    EXPECT_EQ(elements(array), (std::vector<double>{1, 0, 0, 0, 0, 1}));
    EXPECT_THROW(fill(array, {{0, 1}}, 1.0), std::exception);
    EXPECT_EQ(elements(array), (std::vector<double>{1, 0, 0, 0, 0, 1}));
}

TEST(FillIndexes, HonoursTheArrayStrides) {
    std::vector<float> storage(8, 0.0f);
    const MLMultiArray strided(storage.data(), {2, 3}, MLMultiArrayDataType::float32, {4, 1}, {});
    fill(strided, {{1, 2}}, 2.0f);
    EXPECT_EQ(storage[6], 2.0f);
}

TEST(FillLastDimension, SetsTheRangeOnly) {
    const float minusInfinity = -std::numeric_limits<float>::infinity();
    const MLMultiArray logits({1, 1, 6}, MLMultiArrayDataType::float32);
    fillLastDimension(logits, {2, 4}, minusInfinity);
    EXPECT_EQ(elements(logits), (std::vector<double>{0, 0, minusInfinity, minusInfinity, 0, 0}));
    fillLastDimension(logits, {5, 5}, 1.0f);
    EXPECT_EQ(logits[5].floatValue(), 0.0f);
}

TEST(FillLastDimension, RefusesOtherShapesAndRangesWithoutWriting) {
    const MLMultiArray twoRows({1, 2, 3}, MLMultiArrayDataType::float32);
    const MLMultiArray doubles({1, 1, 3}, MLMultiArrayDataType::float64);
    const MLMultiArray logits({1, 1, 3}, MLMultiArrayDataType::float32);
    EXPECT_THROW(fillLastDimension(twoRows, {0, 1}, 1.0f), MLArrayArgumentError);
    EXPECT_THROW(fillLastDimension(doubles, {0, 1}, 1.0f), MLArrayArgumentError);
    for (const IndexRange range : {IndexRange{0, 4}, IndexRange{-1, 2}, IndexRange{2, 1}}) {
        EXPECT_THROW(fillLastDimension(logits, range, 1.0f), MLArrayArgumentError);
    }
    EXPECT_EQ(elements(twoRows), std::vector<double>(6, 0));
    EXPECT_EQ(elements(logits), std::vector<double>(3, 0));
}

} // namespace
} // namespace pelluxcore
