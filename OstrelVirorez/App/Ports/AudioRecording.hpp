#pragma once
// What the dictation control needs of the microphone recorder: start and stop
// one recording, look at what has been captured so far, hear the input level,
// and choose the input device before a start.

#include "Platform/Audio/PCMBuffer.hpp"

#include <cstdint>
#include <functional>
#include <optional>

namespace ostrelvirorez {

class AudioRecording {
public:
    virtual ~AudioRecording() = default;

    // Throws when capture cannot begin; the recorder is then not recording.
    virtual void startRecording() = 0;
    // The whole recording (16 kHz mono float); absent when nothing was captured.
    virtual std::optional<platform::audio::PCMBuffer> stopRecording() = 0;
    // What has been captured so far while recording; absent otherwise.
    virtual std::optional<platform::audio::PCMBuffer> snapshotBuffer() = 0;
    // The callback runs on the capture thread; a new one replaces the old one.
    virtual void setOnLevelUpdate(std::function<void(float)> callback) = 0;
    // Records from this device from the next start on; 0 is the system
    // default. An id that no longer exists records from the default.
    virtual void setInputDevice(std::uint32_t deviceID) = 0;
};

} // namespace ostrelvirorez
