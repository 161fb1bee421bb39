#pragma once
// Zero-filled caches that start (and restart) a cache-aware streaming encoder,
// and the updated caches read back from one encoder prediction.

#include "Platform/CoreML/MLFeatureProvider.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer::EncoderCacheManager {

struct CacheConfig {
    std::vector<std::int64_t> channelShape;  // attention cache, 32-bit float
    std::vector<std::int64_t> timeShape;     // convolution cache, 32-bit float
    std::vector<std::int64_t> lenShape;      // cache length, 32-bit integer
};

struct Caches {
    platform::coreml::MLMultiArray channel;
    platform::coreml::MLMultiArray time;
    platform::coreml::MLMultiArray len;
};

struct ExtractedCaches {
    std::optional<platform::coreml::MLMultiArray> channel;
    std::optional<platform::coreml::MLMultiArray> time;
    std::optional<platform::coreml::MLMultiArray> len;
};

// Every element 0, whatever the element type.
platform::coreml::MLMultiArray createZeroArray(const std::vector<std::int64_t>& shape,
                                               platform::coreml::MLMultiArrayDataType dataType);
Caches createInitialCaches(const CacheConfig& config);
// A missing feature, or one that is not a multi-array, gives an absent entry.
ExtractedCaches extractCachesFromOutput(const platform::coreml::MLFeatureProvider& output,
                                        const std::string& channelKey, const std::string& timeKey,
                                        const std::string& lenKey);

} // namespace razeziruzer::EncoderCacheManager
