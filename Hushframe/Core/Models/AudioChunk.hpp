#pragma once
// One piece of a long recording cut at a silence, with the index of its first
// sample (16 kHz) within the recording.

#include <cstdint>
#include <vector>

namespace hushframe {

struct AudioChunk {
    std::int64_t seekOffsetIndex = 0;
    std::vector<float> audioSamples{};

    bool operator==(const AudioChunk&) const = default;
};

} // namespace hushframe
