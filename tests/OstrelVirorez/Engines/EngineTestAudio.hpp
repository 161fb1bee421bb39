#pragma once
// Recordings for the engine adapter tests: 16 kHz mono float buffers, as the
// recorder delivers them, and a helper that names the error an action threw.

#include "Platform/Audio/AudioFormat.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <algorithm>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace ostrelvirorez::enginetest {

inline platform::audio::PCMBuffer recording(const std::vector<float>& samples) {
    auto buffer = *platform::audio::PCMBuffer::make(*platform::audio::AudioFormat::standard(16000, 1),
                                                    static_cast<std::uint32_t>(std::max<std::size_t>(samples.size(), 1)));
    buffer.setFrameLength(static_cast<std::uint32_t>(samples.size()));
    std::copy(samples.begin(), samples.end(), buffer.floatChannelData(0));
    return buffer;
}

// The thrown error's description, or "no error".
inline std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

} // namespace ostrelvirorez::enginetest
