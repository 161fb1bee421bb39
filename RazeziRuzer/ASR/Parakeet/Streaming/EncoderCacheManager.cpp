#include "RazeziRuzer/ASR/Parakeet/Streaming/EncoderCacheManager.hpp"

namespace razeziruzer::EncoderCacheManager {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

MLMultiArray createZeroArray(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType) {
    MLMultiArray array(shape, dataType);
    array.fill(0);
    return array;
}

Caches createInitialCaches(const CacheConfig& config) {
    auto channel = createZeroArray(config.channelShape, MLMultiArrayDataType::float32);
    auto time = createZeroArray(config.timeShape, MLMultiArrayDataType::float32);
    auto len = createZeroArray(config.lenShape, MLMultiArrayDataType::int32);
    return {std::move(channel), std::move(time), std::move(len)};
}

namespace {
std::optional<MLMultiArray> arrayNamed(const platform::coreml::MLFeatureProvider& output, const std::string& name) {
    const auto value = output.featureValue(name);
    if (!value) return std::nullopt;
    return value->multiArrayValue();
}
} // namespace

ExtractedCaches extractCachesFromOutput(const platform::coreml::MLFeatureProvider& output,
                                        const std::string& channelKey, const std::string& timeKey,
                                        const std::string& lenKey) {
    return {arrayNamed(output, channelKey), arrayNamed(output, timeKey), arrayNamed(output, lenKey)};
}

} // namespace razeziruzer::EncoderCacheManager
