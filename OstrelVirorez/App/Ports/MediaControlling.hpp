#pragma once
// What the dictation control needs to keep the computer's own sound out of a
// recording: the play/pause key, lowering the output volume and putting it
// back, and the process-wide record of whether a recording paused playback.

namespace ostrelvirorez {

class MediaControlling {
public:
    virtual ~MediaControlling() = default;

    virtual void sendPlayPauseKey() = 0;
    // Lowers the output volume to `level` × the volume before the recording
    // and saves that volume; nothing happens when the volume cannot be read.
    virtual void duckVolume(float level) = 0;
    // Puts a saved volume back and forgets it; nothing happens without one.
    virtual void restoreVolume() = 0;

    // Media playback was paused by a recording.
    virtual bool didPause() const = 0;
    virtual void setDidPause(bool paused) = 0;

    // Once per process: undoes pause and ducking when the application ends.
    virtual void installTerminationGuard() = 0;
};

} // namespace ostrelvirorez
