#pragma once
// The decoder's key/value caches and alignment weights as a decode left them;
// word timings need the alignment weights.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <optional>

namespace hushframe {

struct DecodingCache {
    std::optional<platform::coreml::MLMultiArray> keyCache;
    std::optional<platform::coreml::MLMultiArray> valueCache;
    std::optional<platform::coreml::MLMultiArray> alignmentWeights;
};

} // namespace hushframe
