#pragma once
// Base of the voice-activity detectors: it cuts 16 kHz mono samples into
// frames `frameLengthSamples` apart, leaves the per-frame decision to a
// subclass, and turns the decisions into active sample ranges and the longest
// silence. Detectors are immutable and may be shared between threads.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hushframe {

class VoiceActivityDetector {
public:
    // Indices, end exclusive: samples for active ranges, frames for silences.
    struct Range {
        std::int64_t startIndex = 0;
        std::int64_t endIndex = 0;
        bool operator==(const Range&) const = default;
    };

    // Throws std::invalid_argument for a frameLengthSamples below 1.
    VoiceActivityDetector(std::int64_t sampleRate, std::int64_t frameLengthSamples, std::int64_t frameOverlapSamples);
    virtual ~VoiceActivityDetector() = default;

    // One flag per frame, a trailing partial frame included.
    virtual std::vector<bool> voiceActivity(std::span<const float> samples) const = 0;
    // The same, for callers of the asynchronous form; never throws.
    virtual std::vector<bool> voiceActivityAsync(std::span<const float> samples) const {
        return voiceActivity(samples);
    }
    // One range per run of active frames, from the run's first frame start to
    // its last frame's nominal end, clamped to the samples (the overlap never
    // extends a range).
    virtual std::vector<Range> calculateActiveChunks(std::span<const float> samples) const;
    virtual std::int64_t voiceActivityIndexToAudioSampleIndex(std::int64_t index) const;
    virtual float voiceActivityIndexToSeconds(std::int64_t index) const;
    // The earliest of the longest runs of silent frames; absent when no frame is silent.
    virtual std::optional<Range> findLongestSilence(const std::vector<bool>& vadResult) const;

    const std::int64_t sampleRate;
    // Distance between the starts of two frames, and a frame's nominal length.
    const std::int64_t frameLengthSamples;
    // How far past its nominal end a frame reaches when it is measured.
    const std::int64_t frameOverlapSamples;
};

} // namespace hushframe
