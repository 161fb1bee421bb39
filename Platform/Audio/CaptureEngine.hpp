#pragma once
// A live capture source as its users drive it: the chosen input's own
// format, one tap that receives fixed-size blocks on the capture thread, and
// start/stop. Stopping keeps the tap, so a later start resumes delivery.

#include "Platform/Audio/AudioFormat.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <cstdint>
#include <functional>
#include <string>

namespace platform::audio {

class CaptureEngine {
public:
    using TapBlock = std::function<void(const PCMBuffer&)>;

    virtual ~CaptureEngine() = default;

    // The input the next start captures from (a source name or index);
    // empty, or an input that is not there any more, means the system default.
    virtual void setInputDevice(const std::string& deviceIdentifier) = 0;
    virtual std::string inputDevice() const = 0;

    // The chosen input's native format (float samples, its rate and channel
    // count). Throws CaptureError when the input cannot be reached.
    virtual AudioFormat inputFormat() = 0;

    // Blocks of `bufferSize` frames in `format` go to `block` on the capture
    // thread. Replaces an earlier tap.
    virtual void installTap(std::uint32_t bufferSize, const AudioFormat& format, TapBlock block) = 0;
    // Once this returns the tap is never called again; frames gathered for
    // an unfinished block are handed over first, so the end of the
    // recording is kept.
    virtual void removeTap() = 0;

    // Throws CaptureError when capture cannot begin.
    virtual void start() = 0;
    virtual void stop() = 0;
};

} // namespace platform::audio
