#pragma once
// The temperatures a window is decoded at, one per attempt: the options'
// temperature, then each fallback's increment more. A negative fallback
// count is taken as 0.

#include "Hushframe/Core/Configurations/DecodingOptions.hpp"

#include <algorithm>
#include <vector>

namespace hushframe {

inline std::vector<float> temperatureSchedule(const DecodingOptions& options) {
    std::vector<float> temperatures;
    const int attempts = std::max(options.temperatureFallbackCount, 0) + 1;
    for (int i = 0; i < attempts; ++i) {
        const float step = static_cast<float>(i) * options.temperatureIncrementOnFallback;
        temperatures.push_back(step + options.temperature);
    }
    return temperatures;
}

} // namespace hushframe
