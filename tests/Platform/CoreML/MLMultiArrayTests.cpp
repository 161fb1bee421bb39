#include "Platform/Accel/Float16.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace {

using platform::coreml::MLModelError;
using platform::coreml::MLModelErrorKind;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

template <typename Body>
MLModelErrorKind errorKindOf(Body&& body) {
    try {
        body();
    } catch (const MLModelError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no MLModelError thrown";
    return MLModelErrorKind::io;
}

std::vector<double> logicalValues(const MLMultiArray& array) {
    std::vector<double> values;
    for (std::int64_t i = 0; i < array.count(); ++i) {
        values.push_back(array[i]);
    }
    return values;
}

TEST(MLMultiArrayDataType, RawValuesAndElementSizesAreThePlatforms) {
    struct Case {
        MLMultiArrayDataType type;
        std::int32_t raw;
        std::size_t size;
    };
    for (const auto& c : {Case{MLMultiArrayDataType::float16, 65552, 2}, Case{MLMultiArrayDataType::float32, 65568, 4},
                          Case{MLMultiArrayDataType::float64, 65600, 8}, Case{MLMultiArrayDataType::int32, 131104, 4},
                          Case{MLMultiArrayDataType::int8, 131080, 1}}) {
        EXPECT_EQ(platform::coreml::rawValue(c.type), c.raw);
        EXPECT_EQ(platform::coreml::dataTypeFromRawValue(c.raw), c.type);
        EXPECT_EQ(platform::coreml::elementSize(c.type), c.size);
    }
    EXPECT_FALSE(platform::coreml::dataTypeFromRawValue(65536).has_value());
}

TEST(MLMultiArray, NewArrayIsDenseAlignedAndZeroed) {
    const MLMultiArray array({2, 3, 5}, MLMultiArrayDataType::float32);
    EXPECT_EQ(array.shape(), (std::vector<std::int64_t>{2, 3, 5}));
    EXPECT_EQ(array.strides(), (std::vector<std::int64_t>{15, 5, 1}));
    EXPECT_EQ(array.count(), 30);
    EXPECT_TRUE(array.isContiguous());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array.dataPointer()) % 64, 0u);
    for (const auto value : logicalValues(array)) {
        EXPECT_EQ(value, 0.0);
    }
}

TEST(MLMultiArray, InitialValueFillsEveryElementInItsType) {
    const MLMultiArray floats({2, 3}, MLMultiArrayDataType::float32, 0.5);
    const MLMultiArray halves({1, 4}, MLMultiArrayDataType::float16, -10000);
    const MLMultiArray integers({3}, MLMultiArrayDataType::int32, 7);
    EXPECT_EQ(logicalValues(floats), std::vector<double>(6, 0.5));
    EXPECT_EQ(logicalValues(halves), std::vector<double>(4, -10000));
    EXPECT_EQ(logicalValues(integers), std::vector<double>(3, 7));
    EXPECT_EQ(halves.dataPointer<std::uint16_t>()[3], platform::accel::floatToHalf(-10000.0f));
}

TEST(MLMultiArray, ZeroDimensionIsEmptyButInvalidShapesAreRejected) {
    EXPECT_EQ(MLMultiArray({4, 0}, MLMultiArrayDataType::float32).count(), 0);
    EXPECT_EQ(errorKindOf([] { MLMultiArray({}, MLMultiArrayDataType::float32); }), MLModelErrorKind::generic);
    EXPECT_EQ(errorKindOf([] { MLMultiArray({2, -1}, MLMultiArrayDataType::float32); }), MLModelErrorKind::generic);
    EXPECT_EQ(errorKindOf([] {
                  MLMultiArray({std::int64_t{1} << 40, std::int64_t{1} << 40}, MLMultiArrayDataType::float32);
              }),
              MLModelErrorKind::generic);
}

TEST(MLMultiArray, CopiesShareStorage) {
    const MLMultiArray original({4}, MLMultiArrayDataType::float32);
    MLMultiArray copy = original;
    copy[2] = 9;
    EXPECT_EQ(original[2], 9.0);
    EXPECT_TRUE(copy.isIdentical(original));
    EXPECT_TRUE(copy.sharesMemory(original));
    EXPECT_FALSE(original.clone().sharesMemory(original));
}

TEST(MLMultiArray, ViewsShareMemoryOnlyWhereTheirElementsMeet) {
    std::array<float, 8> memory{};
    const auto row = [&](std::int64_t start, std::int64_t stride) {
        return MLMultiArray(memory.data() + start, {2}, MLMultiArrayDataType::float32, {stride}, nullptr);
    };
    EXPECT_FALSE(row(0, 1).sharesMemory(row(2, 1)));
    EXPECT_TRUE(row(0, 2).sharesMemory(row(1, 1)));
    EXPECT_TRUE(row(3, -3).sharesMemory(row(0, 1)));
    EXPECT_FALSE(row(7, -1).sharesMemory(row(0, 5)));
}

// A 2 x 3 array whose rows are padded to 4 elements in caller memory.
struct PaddedRows {
    std::array<float, 8> memory{0, 1, 2, -1, 3, 4, 5, -1};
    MLMultiArray array{memory.data(), {2, 3}, MLMultiArrayDataType::float32, {4, 1}, nullptr};
};

TEST(MLMultiArray, LinearSubscriptFollowsStridesOfNonContiguousArray) {
    PaddedRows padded;
    EXPECT_FALSE(padded.array.isContiguous());
    EXPECT_EQ(logicalValues(padded.array), (std::vector<double>{0, 1, 2, 3, 4, 5}));
    padded.array[3] = 30;
    EXPECT_EQ(padded.memory[4], 30.0f);

    // Column-major storage: the logical order walks across memory.
    std::array<std::int32_t, 6> columns{0, 3, 1, 4, 2, 5};
    const MLMultiArray columnMajor(columns.data(), {2, 3}, MLMultiArrayDataType::int32, {1, 2}, nullptr);
    EXPECT_EQ(logicalValues(columnMajor), (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ((columnMajor[{1, 0}]), 3.0);
    columnMajor[{0, 2}] = 20;
    EXPECT_EQ(columns[4], 20);
}

TEST(MLMultiArray, SubscriptsOutOfRangeThrow) {
    const MLMultiArray array({2, 3}, MLMultiArrayDataType::float32);
    for (const std::int64_t index : {std::int64_t{-1}, std::int64_t{6}}) {
        EXPECT_EQ(errorKindOf([&] { (void)array[index]; }), MLModelErrorKind::generic) << index;
    }
    EXPECT_EQ(errorKindOf([&] { (void)array[{2, 0}]; }), MLModelErrorKind::generic);
    EXPECT_EQ(errorKindOf([&] { (void)array[{0}]; }), MLModelErrorKind::generic);
}

TEST(MLMultiArray, Float16ElementsConvertOnReadAndWrite) {
    const MLMultiArray array({3}, MLMultiArrayDataType::float16);
    array[0] = 0.5;
    array[1] = 1.0 / 3.0;
    array[2] = 70000.0; // beyond the half range
    const auto* bits = array.dataPointer<std::uint16_t>();
    EXPECT_EQ(bits[0], 0x3800);
    EXPECT_EQ(array[0], 0.5);
    EXPECT_NEAR(array[1], 1.0 / 3.0, 1e-3);
    EXPECT_NE(array[1], 1.0 / 3.0);
    EXPECT_TRUE(std::isinf(array[2].doubleValue()));
}

TEST(MLMultiArray, IntegerWritesTruncateAndSaturate) {
    const MLMultiArray array({5}, MLMultiArrayDataType::int32);
    const std::array<double, 5> written{3.7, -3.7, 1e12, -1e12, std::nan("")};
    for (std::size_t i = 0; i < written.size(); ++i) {
        array[static_cast<std::int64_t>(i)] = written[i];
    }
    const auto* values = array.dataPointer<std::int32_t>();
    EXPECT_EQ(values[0], 3);
    EXPECT_EQ(values[1], -3);
    EXPECT_EQ(values[2], std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(values[3], std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(values[4], 0);

    const MLMultiArray floats({2}, MLMultiArrayDataType::float32);
    floats[0] = 3e10;
    floats[1] = -2.9;
    EXPECT_EQ(floats[0].int32Value(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(floats[1].int32Value(), -2);
}

TEST(MLMultiArray, TypedPointerMustMatchTheDataType) {
    const MLMultiArray array({2}, MLMultiArrayDataType::float32);
    EXPECT_NO_THROW(array.dataPointer<float>());
    EXPECT_EQ(errorKindOf([&] { array.dataPointer<std::int32_t>(); }), MLModelErrorKind::generic);
    EXPECT_EQ(errorKindOf([&] { array.dataPointer<double>(); }), MLModelErrorKind::generic);
}

TEST(MLMultiArray, CallerMemoryIsReleasedOnceWhenTheLastHandleGoes) {
    std::array<float, 4> memory{1, 2, 3, 4};
    int released = 0;
    void* releasedPointer = nullptr;
    {
        std::vector<MLMultiArray> handles;
        handles.emplace_back(memory.data(), std::vector<std::int64_t>{4}, MLMultiArrayDataType::float32,
                             std::vector<std::int64_t>{1}, [&](void* pointer) {
                                 ++released;
                                 releasedPointer = pointer;
                             });
        handles.push_back(handles.front());
        handles.erase(handles.begin());
        EXPECT_EQ(released, 0);
        EXPECT_EQ(handles.front()[3], 4.0);
    }
    EXPECT_EQ(released, 1);
    EXPECT_EQ(releasedPointer, memory.data());
}

TEST(MLMultiArray, RejectedCallerMemoryStaysWithTheCaller) {
    std::array<float, 4> memory{};
    int released = 0;
    EXPECT_EQ(errorKindOf([&] {
                  MLMultiArray(memory.data(), {2, 2}, MLMultiArrayDataType::float32, {1}, [&](void*) { ++released; });
              }),
              MLModelErrorKind::generic);
    EXPECT_EQ(errorKindOf([&] {
                  MLMultiArray(nullptr, {2}, MLMultiArrayDataType::float32, {1}, [&](void*) { ++released; });
              }),
              MLModelErrorKind::generic);
    EXPECT_EQ(released, 0);
}

TEST(MLMultiArray, ViewCapturingItsSourceKeepsTheStorageAlive) {
    std::optional<MLMultiArray> view;
    {
        const MLMultiArray source({2, 4}, MLMultiArrayDataType::float32, 1);
        source[{1, 2}] = 7;
        // Row 1 of the source, held alive by the captured handle.
        view.emplace(static_cast<float*>(source.dataPointer()) + 4, std::vector<std::int64_t>{4},
                     MLMultiArrayDataType::float32, std::vector<std::int64_t>{1}, [source](void*) {});
    }
    EXPECT_EQ(logicalValues(*view), (std::vector<double>{1, 1, 7, 1}));
}

TEST(MLMultiArray, FillLeavesPaddingAlone) {
    PaddedRows padded;
    padded.array.fill(2.5);
    EXPECT_EQ(padded.memory, (std::array<float, 8>{2.5, 2.5, 2.5, -1, 2.5, 2.5, 2.5, -1}));
}

TEST(MLMultiArray, CopyContentsConvertsTypesAcrossLayouts) {
    PaddedRows padded;
    const MLMultiArray destination({2, 3}, MLMultiArrayDataType::float16);
    destination.copyContents(padded.array);
    EXPECT_EQ(logicalValues(destination), (std::vector<double>{0, 1, 2, 3, 4, 5}));

    const MLMultiArray back({2, 3}, MLMultiArrayDataType::float32, 10);
    padded.array.copyContents(back);
    EXPECT_EQ(padded.memory, (std::array<float, 8>{10, 10, 10, -1, 10, 10, 10, -1}));

    EXPECT_EQ(errorKindOf([&] { destination.copyContents(MLMultiArray({3, 2}, MLMultiArrayDataType::float32)); }),
              MLModelErrorKind::generic);
}

TEST(MLMultiArray, CopyBetweenOverlappingLayoutsReadsBeforeWriting) {
    const MLMultiArray matrix({2, 2}, MLMultiArrayDataType::float32);
    for (std::int64_t i = 0; i < 4; ++i) {
        matrix[i] = static_cast<double>(i + 1);
    }
    const MLMultiArray transposed(matrix.dataPointer(), {2, 2}, MLMultiArrayDataType::float32, {1, 2},
                                  [matrix](void*) {});
    matrix.copyContents(transposed);
    EXPECT_EQ(logicalValues(matrix), (std::vector<double>{1, 3, 2, 4}));
}

TEST(MLMultiArray, CloneIsDenseAndIndependent) {
    PaddedRows padded;
    const auto copy = padded.array.clone();
    EXPECT_TRUE(copy.isContiguous());
    EXPECT_EQ(logicalValues(copy), logicalValues(padded.array));
    copy[0] = 100;
    EXPECT_EQ(padded.memory[0], 0.0f);
}

} // namespace
