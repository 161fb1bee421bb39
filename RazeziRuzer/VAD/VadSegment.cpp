#include "RazeziRuzer/VAD/VadSegment.hpp"

#include <cmath>
#include <limits>

namespace razeziruzer {
namespace {

std::int64_t truncatedSamples(double seconds, double sampleRate) {
    const double product = seconds * sampleRate;
    if (std::isnan(product)) return 0;
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double limit = 9223372036854775808.0;
    if (product >= limit) return std::numeric_limits<std::int64_t>::max();
    if (product <= -limit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(product);
}

} // namespace

std::int64_t VadSegment::startSample(double sampleRate) const { return truncatedSamples(startTime, sampleRate); }

std::int64_t VadSegment::endSample(double sampleRate) const { return truncatedSamples(endTime, sampleRate); }

std::int64_t VadSegment::sampleCount(double sampleRate) const {
    const auto start = startSample(sampleRate);
    const auto end = endSample(sampleRate);
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(end, start, &difference)) {
        return end > start ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    }
    return difference;
}

} // namespace razeziruzer
