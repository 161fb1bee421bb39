#pragma once
// Moves frames between PCM buffers of any layout and plain interleaved float
// arrays. Int16 samples map to float by 1/32768 and back by 32768 with
// clipping, so Int16 -> float -> Int16 is exact.

#include "Platform/Audio/PCMBuffer.hpp"

#include <cstdint>

namespace platform::audio {

// Copies frames [first, first + count) of every channel of `source` to
// `destination` as interleaved float.
void readInterleavedFloat(const PCMBuffer& source, std::uint32_t first, std::uint32_t count, float* destination);

// Writes `count` interleaved frames of `sourceChannels` channels to
// `destination` from frame `first` on; destination channel c takes source
// channel c % sourceChannels. Does not change the frame length.
void writeInterleavedFloat(PCMBuffer& destination, std::uint32_t first, const float* source, std::uint32_t count,
                           std::uint32_t sourceChannels);

} // namespace platform::audio
