#pragma once
// Audio helpers for the streaming recogniser tests: 16 kHz mono float PCM
// buffers made from sample lists.

#include "Platform/Audio/AudioFormat.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <algorithm>
#include <span>
#include <vector>

namespace razeziruzer::streamingtest {

inline platform::audio::PCMBuffer pcmBuffer(std::span<const float> samples, double rate = 16000) {
    auto buffer = *platform::audio::PCMBuffer::make(*platform::audio::AudioFormat::standard(rate, 1),
                                                    static_cast<std::uint32_t>(std::max<std::size_t>(samples.size(), 1)));
    buffer.setFrameLength(static_cast<std::uint32_t>(samples.size()));
    std::copy(samples.begin(), samples.end(), buffer.floatChannelData(0));
    return buffer;
}

} // namespace razeziruzer::streamingtest
