#pragma once
// Reuse of model input arrays by shape and element type: free arrays wait per
// key, last in first out, under one overall budget of maxCacheSize arrays
// shared among the keys. Operations run one at a time; an array taken out
// belongs to the caller until it is returned.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace razeziruzer {

class MLArrayCache {
public:
    using MLMultiArray = platform::coreml::MLMultiArray;
    using MLMultiArrayDataType = platform::coreml::MLMultiArrayDataType;

    struct CacheKey {
        std::vector<std::int64_t> shape;
        MLMultiArrayDataType dataType;

        bool operator==(const CacheKey&) const = default;
    };

    // Combines the number of dimensions, each dimension in order, then the type.
    struct CacheKeyHash {
        std::size_t operator()(const CacheKey& key) const noexcept;
    };

    explicit MLArrayCache(int maxCacheSize = 100);
    MLArrayCache(const MLArrayCache&) = delete;
    MLArrayCache& operator=(const MLArrayCache&) = delete;

    // The most recently returned array of this shape and type, else a new
    // zeroed aligned one (its creation errors pass unchanged).
    MLMultiArray getArray(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType);
    // Zeroes the array and keeps it for reuse while its key's share of the
    // budget allows; otherwise lets it go.
    void returnArray(const MLMultiArray& array);
    // Replaces the list of each key with fresh zeroed arrays, up to five per
    // key within the budget; a shape that cannot be made keeps its old list.
    void prewarm(const std::vector<std::pair<std::vector<std::int64_t>, MLMultiArrayDataType>>& shapes);
    void clear();

    // Arrays waiting under a key, for diagnostics.
    std::size_t cachedArrayCount(const CacheKey& key) const;

private:
    std::unordered_map<CacheKey, std::vector<MLMultiArray>, CacheKeyHash> cache;
    const int maxCacheSize;
    mutable std::mutex mutex_;
};

// The process-wide cache, with the default budget, created on first use.
MLArrayCache& sharedMLArrayCache();

} // namespace razeziruzer
