#pragma once
// One speech region of a recording, in seconds from its start.

#include <cstdint>

namespace razeziruzer {

struct VadSegment {
    double startTime = 0;
    double endTime = 0;

    double duration() const { return endTime - startTime; }
    // Times multiplied by the rate and truncated toward zero; products beyond
    // the signed 64-bit range saturate (NaN gives 0).
    std::int64_t startSample(double sampleRate) const;
    std::int64_t endSample(double sampleRate) const;
    std::int64_t sampleCount(double sampleRate) const;

    bool operator==(const VadSegment&) const = default;
};

} // namespace razeziruzer
