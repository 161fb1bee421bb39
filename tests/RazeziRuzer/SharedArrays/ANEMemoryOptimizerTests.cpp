#include "RazeziRuzer/Shared/ANEMemoryOptimizer.hpp"

#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"
#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace razeziruzer {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using Shape = std::vector<std::int64_t>;

void expectDiarizerError(DiarizerErrorKind expected, const auto& action) {
    try {
        action();
        ADD_FAILURE() << "no error thrown";
    } catch (const DiarizerError& error) {
        EXPECT_EQ(error.kind(), expected);
    }
}

std::vector<double> elements(const MLMultiArray& array) {
    std::vector<double> values;
    for (std::int64_t i = 0; i < array.count(); ++i) values.push_back(array[i].doubleValue());
    return values;
}

MLMultiArray counting(const Shape& shape) {
    MLMultiArray array(shape, MLMultiArrayDataType::float32);
    for (std::int64_t i = 0; i < array.count(); ++i) array[i] = static_cast<double>(i);
    return array;
}

TEST(ANEMemoryOptimizerTests, AlignedArraysAreClearedAndFailuresAreAllocationErrors) {
    ANEMemoryOptimizer optimizer;
    const auto array = optimizer.createAlignedArray({2, 3}, MLMultiArrayDataType::float32);
    EXPECT_EQ(array.strides(), (Shape{16, 1}));
    EXPECT_EQ(elements(array), std::vector<double>(6, 0.0));
    expectDiarizerError(DiarizerErrorKind::memoryAllocationFailed,
                        [&] { optimizer.createAlignedArray({-1}, MLMultiArrayDataType::float32); });
    expectDiarizerError(DiarizerErrorKind::memoryAllocationFailed,
                        [&] { optimizer.createAlignedArray({}, MLMultiArrayDataType::float32); });
}

TEST(ANEMemoryOptimizerTests, PooledBuffersAreSharedPerKeyUntilTheLayoutChanges) {
    ANEMemoryOptimizer optimizer;
    const auto first = optimizer.getPooledBuffer("mel", {1, 80}, MLMultiArrayDataType::float32);
    first[3] = 4.0;
    const auto again = optimizer.getPooledBuffer("mel", {1, 80}, MLMultiArrayDataType::float32);
    EXPECT_TRUE(again.isIdentical(first));
    EXPECT_EQ(again[3].doubleValue(), 4.0) << "a pooled buffer is handed out as left";

    const auto otherShape = optimizer.getPooledBuffer("mel", {1, 81}, MLMultiArrayDataType::float32);
    EXPECT_FALSE(otherShape.isIdentical(first));
    EXPECT_FALSE(optimizer.getPooledBuffer("mel", {1, 81}, MLMultiArrayDataType::int32).isIdentical(otherShape));

    optimizer.initializePooledBuffer("state", {2, 4}, MLMultiArrayDataType::float32);
    const auto state = optimizer.getPooledBuffer("state", {2, 4}, MLMultiArrayDataType::float32);
    optimizer.initializePooledBuffer("state", {2, 4}, MLMultiArrayDataType::float32);
    EXPECT_FALSE(optimizer.getPooledBuffer("state", {2, 4}, MLMultiArrayDataType::float32).isIdentical(state));

    optimizer.clearBufferPool();
    EXPECT_FALSE(optimizer.getPooledBuffer("state", {2, 4}, MLMultiArrayDataType::float32).isIdentical(state));

    // A failed creation leaves the pooled array in place.
    const auto kept = optimizer.getPooledBuffer("mel", {1, 4}, MLMultiArrayDataType::float32);
    EXPECT_THROW(optimizer.getPooledBuffer("mel", {-4}, MLMultiArrayDataType::float32), DiarizerError);
    EXPECT_TRUE(optimizer.getPooledBuffer("mel", {1, 4}, MLMultiArrayDataType::float32).isIdentical(kept));
}

TEST(ANEMemoryOptimizerTests, ThreadsAskingForOneKeyShareOneBuffer) {
    ANEMemoryOptimizer optimizer;
    std::vector<MLMultiArray> results(8, MLMultiArray({1}, MLMultiArrayDataType::float32));
    {
        std::vector<std::jthread> threads;
        for (auto& result : results) {
            threads.emplace_back([&] { result = optimizer.getPooledBuffer("k", {4, 40}, MLMultiArrayDataType::float32); });
        }
    }
    for (const auto& result : results) EXPECT_TRUE(result.isIdentical(results.front()));
}

TEST(ANEMemoryOptimizerTests, OptimizedCopyWritesWhatFitsAndPadsTheRest) {
    ANEMemoryOptimizer optimizer;
    const std::vector<float> ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    struct Case {
        std::size_t values;
        std::int64_t offset;
        bool pad;
        std::vector<double> expected;
    };
    const std::vector<Case> cases = {
        {10, 2, false, {-1, -1, 1, 2, 3, 4, 5, 6}},
        {3, 2, true, {-1, -1, 1, 2, 3, 0, 0, 0}},
        {3, 2, false, {-1, -1, 1, 2, 3, -1, -1, -1}},
        {0, 8, true, {-1, -1, -1, -1, -1, -1, -1, -1}},
    };
    for (const auto& c : cases) {
        // A padded [2, 4] destination: rows of four with twelve padding elements each.
        const auto destination = ANEMemoryUtils::createAlignedArray({2, 4}, MLMultiArrayDataType::float32, true);
        std::fill(destination.dataPointer<float>(), destination.dataPointer<float>() + 32, -1.0F);
        optimizer.optimizedCopy(std::span(ten).first(c.values), destination, c.offset, c.pad);
        EXPECT_EQ(elements(destination), c.expected) << c.values << " values at " << c.offset;
        EXPECT_EQ(destination.dataPointer<float>()[4], -1.0F) << "padding stays untouched";
    }
    MLMultiArray dense({8}, MLMultiArrayDataType::float32, -1.0);
    optimizer.optimizedCopy(ten, dense, 2, false);
    EXPECT_EQ(elements(dense), (std::vector<double>{-1, -1, 1, 2, 3, 4, 5, 6}));
}

TEST(ANEMemoryOptimizerTests, OptimizedCopyIgnoresOtherTypesAndRejectsOffsetsPastTheEnd) {
    ANEMemoryOptimizer optimizer;
    const std::vector<float> values = {1, 2};
    MLMultiArray integers({4}, MLMultiArrayDataType::int32, 9.0);
    optimizer.optimizedCopy(values, integers, 0, true);
    EXPECT_EQ(elements(integers), std::vector<double>(4, 9.0));
    MLMultiArray floats({4}, MLMultiArrayDataType::float32, 9.0);
    expectDiarizerError(DiarizerErrorKind::invalidArrayBounds, [&] { optimizer.optimizedCopy(values, floats, 5, true); });
    expectDiarizerError(DiarizerErrorKind::invalidArrayBounds, [&] { optimizer.optimizedCopy(values, floats, -1, true); });
    EXPECT_EQ(elements(floats), std::vector<double>(4, 9.0));
}

TEST(ANEMemoryOptimizerTests, ZeroCopyViewStopsAtTheSourceEnd) {
    ANEMemoryOptimizer optimizer;
    const auto source = counting({100});
    const auto view = optimizer.createZeroCopyView(source, {10}, 90);
    EXPECT_EQ(elements(view).front(), 90.0);
    EXPECT_EQ(elements(view).back(), 99.0);
    for (const std::int64_t offset : {91, -1, 101}) {
        expectDiarizerError(DiarizerErrorKind::invalidArrayBounds,
                            [&] { optimizer.createZeroCopyView(source, {10}, offset); });
    }
    // Rows of 3 laid out with padded strides would reach element 162 of 100.
    const auto wholeRows = optimizer.createZeroCopyView(source, {11, 3}, 67);
    EXPECT_EQ(wholeRows.strides(), (Shape{3, 1}));
    EXPECT_EQ(elements(wholeRows).back(), 99.0);
    const auto rows = optimizer.createZeroCopyView(source, {3, 3}, 91);
    EXPECT_EQ(rows.strides(), (Shape{3, 1}));
    EXPECT_EQ(elements(rows), (std::vector<double>{91, 92, 93, 94, 95, 96, 97, 98, 99}));
}

TEST(ANEMemoryOptimizerTests, ZeroCopyViewAddressesPaddedSourcesThroughTheirStrides) {
    ANEMemoryOptimizer optimizer;
    auto source = optimizer.createAlignedArray({4, 3}, MLMultiArrayDataType::float32);
    std::fill(source.dataPointer<float>(), source.dataPointer<float>() + 64, -1.0F);
    ANEMemoryUtils::strideAwareCopy(counting({4, 3}), source);

    std::optional<MLMultiArray> lastRows;
    {
        const MLMultiArray owner = source;
        lastRows = optimizer.createZeroCopyView(owner, {2, 3}, 6);
        source = MLMultiArray({1}, MLMultiArrayDataType::float32);
    }
    EXPECT_EQ(lastRows->strides(), (Shape{16, 1}));
    EXPECT_EQ(elements(*lastRows), (std::vector<double>{6, 7, 8, 9, 10, 11})) << "the view keeps its source alive";

    const auto padded = optimizer.createAlignedArray({4, 3}, MLMultiArrayDataType::float32);
    ANEMemoryUtils::strideAwareCopy(counting({4, 3}), padded);
    EXPECT_EQ(elements(optimizer.createZeroCopyView(padded, {2}, 4)), (std::vector<double>{4, 5}));
    EXPECT_EQ(elements(optimizer.createZeroCopyView(padded, {1, 3, 1}, 3)), (std::vector<double>{3, 4, 5}));
    EXPECT_EQ(elements(optimizer.createZeroCopyView(padded, {2, 1, 3}, 3)), (std::vector<double>{3, 4, 5, 6, 7, 8}));
    // Runs that cross the padding at a row's end have no strided layout.
    for (const auto& [shape, offset] : std::vector<std::pair<Shape, std::int64_t>>{{{6}, 0}, {{2}, 2}, {{2, 2}, 0}, {{4, 1}, 0}}) {
        expectDiarizerError(DiarizerErrorKind::invalidArrayBounds,
                            [&, shape = shape, offset = offset] { optimizer.createZeroCopyView(padded, shape, offset); });
    }
}

} // namespace
} // namespace razeziruzer
