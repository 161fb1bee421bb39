#include "RazeziRuzer/Shared/MLArrayCache.hpp"

#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>

namespace razeziruzer {

namespace {

void combine(std::size_t& seed, std::size_t value) { seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2); }

} // namespace

std::size_t MLArrayCache::CacheKeyHash::operator()(const CacheKey& key) const noexcept {
    std::size_t seed = 0;
    combine(seed, key.shape.size());
    for (const auto dimension : key.shape) combine(seed, std::hash<std::int64_t>{}(dimension));
    combine(seed, std::hash<std::int32_t>{}(platform::coreml::rawValue(key.dataType)));
    return seed;
}

MLArrayCache::MLArrayCache(int maxCacheSize) : maxCacheSize(std::max(0, maxCacheSize)) {}

MLArrayCache::MLMultiArray MLArrayCache::getArray(const std::vector<std::int64_t>& shape,
                                                  MLMultiArrayDataType dataType) {
    const std::lock_guard lock(mutex_);
    if (const auto found = cache.find(CacheKey{shape, dataType}); found != cache.end() && !found->second.empty()) {
        auto array = std::move(found->second.back());
        found->second.pop_back();
        return array;
    }
    return ANEMemoryUtils::createAlignedArray(shape, dataType, true);
}

void MLArrayCache::returnArray(const MLMultiArray& array) {
    const std::lock_guard lock(mutex_);
    CacheKey key{array.shape(), array.dataType()};
    const auto limit = static_cast<std::size_t>(maxCacheSize) / std::max<std::size_t>(1, cache.size());
    auto found = cache.find(key);
    const auto held = found == cache.end() ? 0 : found->second.size();
    if (held >= limit) return;
    array.fill(0); // through the strides, so padded rows are cleared element by element
    if (found == cache.end()) found = cache.emplace(std::move(key), std::vector<MLMultiArray>{}).first;
    found->second.push_back(array);
}

void MLArrayCache::prewarm(const std::vector<std::pair<std::vector<std::int64_t>, MLMultiArrayDataType>>& shapes) {
    if (shapes.empty()) return;
    const std::lock_guard lock(mutex_);
    const auto perKey = std::min<std::size_t>(5, static_cast<std::size_t>(maxCacheSize) / shapes.size());
    for (const auto& [shape, dataType] : shapes) {
        try {
            std::vector<MLMultiArray> arrays;
            arrays.reserve(perKey);
            for (std::size_t i = 0; i < perKey; ++i) {
                arrays.push_back(ANEMemoryUtils::createAlignedArray(shape, dataType, true));
            }
            cache.insert_or_assign(CacheKey{shape, dataType}, std::move(arrays));
        } catch (const std::exception&) {
            // Pre-allocation is an optimisation: a shape that cannot be made
            // is simply allocated on demand later.
        }
    }
}

void MLArrayCache::clear() {
    const std::lock_guard lock(mutex_);
    cache.clear();
}

std::size_t MLArrayCache::cachedArrayCount(const CacheKey& key) const {
    const std::lock_guard lock(mutex_);
    const auto found = cache.find(key);
    return found == cache.end() ? 0 : found->second.size();
}

MLArrayCache& sharedMLArrayCache() {
    // Never destroyed: background tasks of the shared thread pool may still
    // fill or clear it while static objects are torn down at exit.
    static MLArrayCache* const shared = std::make_unique<MLArrayCache>(100).release();
    return *shared;
}

} // namespace razeziruzer
