#pragma once
// Base of the voice-activity detectors that voice-activity chunking uses.

namespace hushframe {

class VoiceActivityDetector {
public:
    virtual ~VoiceActivityDetector() = default;

    int sampleRate = 16000;
    int frameLengthSamples = 0;
    int frameOverlapSamples = 0;
};

} // namespace hushframe
