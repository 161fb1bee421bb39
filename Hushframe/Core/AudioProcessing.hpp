#pragma once
// The audio processor the pipeline holds: it owns live capture, which the main
// object ends when its state is cleared or it goes away.

namespace hushframe {

class AudioProcessing {
public:
    virtual ~AudioProcessing() = default;

    // Does nothing when no capture was set up.
    virtual void stopRecording() = 0;
};

} // namespace hushframe
