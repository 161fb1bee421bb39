#pragma once
// What the decoder reports while it decodes a window, and the callback that
// receives it. The callback may run on any thread; answering false asks the
// decoder to stop the current window early.

#include "Hushframe/Core/Models/TranscriptionTimings.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hushframe {

struct TranscriptionProgress {
    TranscriptionTimings timings;
    std::string text;
    std::vector<int> tokens;
    std::optional<float> temperature;
    std::optional<float> avgLogprob;
    std::optional<float> compressionRatio;
    std::int64_t windowId = 0;
};

using TranscriptionCallback = std::function<std::optional<bool>(const TranscriptionProgress& progress)>;

} // namespace hushframe
