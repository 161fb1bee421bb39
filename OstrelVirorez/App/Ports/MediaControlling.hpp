#pragma once
// What the dictation control needs to keep the computer's own sound out of a
// recording: the play/pause key, the output volume, and the process-wide
// record of what a recording changed and has to be undone.

#include <optional>

namespace ostrelvirorez {

class MediaControlling {
public:
    virtual ~MediaControlling() = default;

    virtual void sendPlayPauseKey() = 0;
    // Absent when the volume cannot be read.
    virtual std::optional<float> getSystemVolume() = 0;
    virtual void setSystemVolume(float volume) = 0;

    // Media playback was paused by a recording.
    virtual bool didPause() const = 0;
    virtual void setDidPause(bool paused) = 0;
    // The volume before ducking; absent when nothing is saved.
    virtual std::optional<float> savedVolume() const = 0;
    virtual void setSavedVolume(std::optional<float> volume) = 0;

    // Once per process: undoes pause and ducking when the application ends.
    virtual void installTerminationGuard() = 0;
};

} // namespace ostrelvirorez
