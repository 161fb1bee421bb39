#pragma once
// Describes PCM audio: sample rate, channel count, sample encoding and whether
// the channels share one interleaved block or each have their own.

#include <cstdint>
#include <optional>
#include <string>

namespace platform::audio {

// otherFormat names encodings no buffer holds (24-bit, compressed); it appears
// only as the on-disk format of a file.
enum class CommonFormat { otherFormat, pcmFormatFloat32, pcmFormatInt16 };

class AudioFormat {
public:
    // Refuses a rate that is not a positive finite number and a channel count of 0.
    static std::optional<AudioFormat> make(CommonFormat commonFormat, double sampleRate, std::uint32_t channelCount,
                                           bool interleaved);
    // 32-bit float, not interleaved.
    static std::optional<AudioFormat> standard(double sampleRate, std::uint32_t channelCount);
    // 32-bit float, one channel, 16 kHz, not interleaved: what the speech models take.
    static AudioFormat standard();

    CommonFormat commonFormat() const { return commonFormat_; }
    double sampleRate() const { return sampleRate_; }
    std::uint32_t channelCount() const { return channelCount_; }
    bool isInterleaved() const { return interleaved_; }
    bool isStandard() const { return commonFormat_ == CommonFormat::pcmFormatFloat32 && !interleaved_; }

    // 0 for otherFormat.
    std::uint32_t bytesPerSample() const;
    // Bytes of one frame within one data block: all channels when interleaved, one otherwise.
    std::uint32_t bytesPerFrame() const;
    std::string description() const;

    // Rates compare as doubles, so a NaN rate never matches.
    friend bool operator==(const AudioFormat&, const AudioFormat&) = default;

private:
    AudioFormat(CommonFormat commonFormat, double sampleRate, std::uint32_t channelCount, bool interleaved)
        : commonFormat_(commonFormat), sampleRate_(sampleRate), channelCount_(channelCount), interleaved_(interleaved) {}

    CommonFormat commonFormat_;
    double sampleRate_;
    std::uint32_t channelCount_;
    bool interleaved_;
};

} // namespace platform::audio
