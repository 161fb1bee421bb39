#include "RazeziRuzer/Shared/MLArrayCache.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace razeziruzer {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using Shape = std::vector<std::int64_t>;
using ShapeList = std::vector<std::pair<Shape, MLMultiArrayDataType>>;

constexpr auto f32 = MLMultiArrayDataType::float32;

ShapeList distinctShapes(int count) {
    ShapeList shapes;
    for (int i = 1; i <= count; ++i) shapes.push_back({{1, i}, f32});
    return shapes;
}

TEST(MLArrayCacheTests, ReturnedArraysComeBackZeroedLastInFirstOut) {
    MLArrayCache cache;
    const auto fresh = cache.getArray({2, 5}, f32);
    EXPECT_EQ(fresh.strides(), (Shape{16, 1})) << "new arrays are aligned and padded";
    for (std::int64_t i = 0; i < fresh.count(); ++i) EXPECT_EQ(fresh[i].doubleValue(), 0.0);

    const auto first = cache.getArray({2, 5}, f32);
    std::fill(fresh.dataPointer<float>(), fresh.dataPointer<float>() + 32, 3.0F);
    first.fill(4.0);
    cache.returnArray(fresh);
    cache.returnArray(first);

    const auto reused = cache.getArray({2, 5}, f32);
    EXPECT_TRUE(reused.isIdentical(first));
    for (std::int64_t i = 0; i < reused.count(); ++i) EXPECT_EQ(reused[i].doubleValue(), 0.0);
    const auto older = cache.getArray({2, 5}, f32);
    EXPECT_TRUE(older.isIdentical(fresh));
    EXPECT_EQ(older.dataPointer<float>()[5], 3.0F) << "zeroing goes through the elements, padding aside";
    EXPECT_FALSE(cache.getArray({2, 5}, f32).isIdentical(fresh));
}

TEST(MLArrayCacheTests, KeysTellShapeAndTypeApart) {
    MLArrayCache cache;
    const auto array = cache.getArray({1, 8}, f32);
    cache.returnArray(array);
    EXPECT_FALSE(cache.getArray({8, 1}, f32).isIdentical(array));
    EXPECT_FALSE(cache.getArray({1, 8}, MLMultiArrayDataType::int32).isIdentical(array));
    EXPECT_TRUE(cache.getArray({1, 8}, f32).isIdentical(array));

    const MLArrayCache::CacheKeyHash hash;
    EXPECT_EQ(hash({{1, 8}, f32}), hash({{1, 8}, f32}));
    EXPECT_NE(hash({{1, 8}, f32}), hash({{8, 1}, f32}));
}

TEST(MLArrayCacheTests, PrewarmSharesTheBudgetAmongShapes) {
    for (const auto& [shapes, perKey] : std::vector<std::pair<int, std::size_t>>{{10, 5}, {30, 3}, {101, 0}, {1, 5}}) {
        MLArrayCache cache;
        cache.prewarm(distinctShapes(shapes));
        for (const auto& [shape, type] : distinctShapes(shapes)) {
            ASSERT_EQ(cache.cachedArrayCount({shape, type}), perKey) << shapes << " shapes";
        }
    }
}

TEST(MLArrayCacheTests, PrewarmReplacesListsAndSkipsShapesThatCannotBeMade) {
    MLArrayCache cache;
    const auto held = cache.getArray({1, 4}, f32);
    cache.returnArray(held);
    cache.returnArray(cache.getArray({1, 7}, f32));
    cache.prewarm({{{1, 4}, f32}, {{-1, 7}, f32}, {{1, 7}, f32}});
    EXPECT_EQ(cache.cachedArrayCount({{1, 4}, f32}), 5u);
    EXPECT_EQ(cache.cachedArrayCount({{1, 7}, f32}), 5u);
    EXPECT_EQ(cache.cachedArrayCount({{-1, 7}, f32}), 0u);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(cache.getArray({1, 4}, f32).isIdentical(held));
    cache.prewarm({});
    EXPECT_EQ(cache.cachedArrayCount({{1, 7}, f32}), 5u);
}

TEST(MLArrayCacheTests, ReturnAcceptsOnlyTheKeysShareOfTheBudget) {
    MLArrayCache cache;
    cache.prewarm(distinctShapes(50));
    for (int i = 0; i < 5; ++i) cache.getArray({1, 1}, f32); // empties the list, the key stays
    std::vector<MLMultiArray> returned;
    for (int i = 0; i < 4; ++i) returned.push_back(cache.getArray({1, 1}, f32));
    for (const auto& array : returned) cache.returnArray(array);
    EXPECT_EQ(cache.cachedArrayCount({{1, 1}, f32}), 2u);

    // With more than a hundred keys nothing more is kept.
    cache.prewarm(distinctShapes(101));
    const auto extra = cache.getArray({3, 3}, f32);
    cache.returnArray(extra);
    EXPECT_EQ(cache.cachedArrayCount({{3, 3}, f32}), 0u);
}

TEST(MLArrayCacheTests, ClearForgetsEveryKeyButNotArraysInUse) {
    MLArrayCache cache;
    cache.prewarm({{{1, 240000}, f32}, {{1}, MLMultiArrayDataType::int32}});
    const auto inUse = cache.getArray({1, 240000}, f32);
    inUse[0] = 2.0;
    cache.clear();
    EXPECT_EQ(cache.cachedArrayCount({{1, 240000}, f32}), 0u);
    EXPECT_EQ(cache.cachedArrayCount({{1}, MLMultiArrayDataType::int32}), 0u);
    EXPECT_EQ(inUse[0].doubleValue(), 2.0);
}

TEST(MLArrayCacheTests, TheSharedCacheIsOneInstance) {
    EXPECT_EQ(&sharedMLArrayCache(), &sharedMLArrayCache());
    const auto array = sharedMLArrayCache().getArray({3, 333}, f32);
    sharedMLArrayCache().returnArray(array);
    EXPECT_TRUE(sharedMLArrayCache().getArray({3, 333}, f32).isIdentical(array));
}

} // namespace
} // namespace razeziruzer
