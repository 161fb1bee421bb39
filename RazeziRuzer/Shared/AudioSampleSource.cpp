#include "RazeziRuzer/Shared/AudioSampleSource.hpp"

#include <algorithm>
#include <cstring>

namespace razeziruzer {

void AudioSampleSource::copyClipped(const std::byte* samples, std::int64_t available, float* into,
                                    std::int64_t offset, std::int64_t count) {
    if (count <= 0 || available <= 0) return;
    const std::int64_t start = std::max<std::int64_t>(offset, 0);
    if (start >= available) return;
    const std::int64_t n = std::min(available - start, count);
    std::memcpy(into, samples + start * static_cast<std::int64_t>(sizeof(float)),
                static_cast<std::size_t>(n) * sizeof(float));
}

} // namespace razeziruzer
