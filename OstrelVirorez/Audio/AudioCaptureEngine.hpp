#pragma once
// The capture side of the audio system as the recorder drives it: the chosen
// input's own format, one tap that receives fixed-size blocks on the capture
// thread, and start/stop. The recorder keeps one engine for its whole life.

#include "Platform/Audio/AudioFormat.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <cstdint>
#include <functional>
#include <string>

namespace ostrelvirorez {

class AudioCaptureEngine {
public:
    using TapBlock = std::function<void(const platform::audio::PCMBuffer&)>;

    virtual ~AudioCaptureEngine() = default;

    // The input the next start captures from (a source name or index);
    // empty, or an input that is not there any more, means the system default.
    virtual void setInputDevice(const std::string& deviceIdentifier) = 0;
    virtual std::string inputDevice() const = 0;

    // The chosen input's native format (float samples, its rate and channel
    // count). Throws platform::Error when the input cannot be reached.
    virtual platform::audio::AudioFormat inputFormat() = 0;

    // Blocks of `bufferSize` frames in `format` go to `block` on the capture
    // thread. Replaces an earlier tap.
    virtual void installTap(std::uint32_t bufferSize, const platform::audio::AudioFormat& format,
                            TapBlock block) = 0;
    // Once this returns the tap is never called again; frames gathered for
    // an unfinished block are handed over first, so the end of the
    // recording is kept.
    virtual void removeTap() = 0;

    // Throws platform::Error when capture cannot begin.
    virtual void start() = 0;
    virtual void stop() = 0;
};

} // namespace ostrelvirorez
