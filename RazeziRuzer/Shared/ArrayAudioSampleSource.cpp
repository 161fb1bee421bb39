#include "RazeziRuzer/Shared/ArrayAudioSampleSource.hpp"

namespace razeziruzer {

void ArrayAudioSampleSource::copySamples(float* into, std::int64_t offset, std::int64_t count) const {
    copyClipped(reinterpret_cast<const std::byte*>(samples.data()), sampleCount(), into, offset, count);
}

} // namespace razeziruzer
