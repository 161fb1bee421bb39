#pragma once
// Streaming conversion from one PCM format to another: channel mixing (see
// ChannelMixer for the rule), sample-rate conversion whose filter state is
// kept from call to call, and re-encoding. Input is pulled through a callback
// that answers each request with data, "no data now" or the end of the stream;
// at the end of the stream the resampler's tail is delivered.
// One converter serves one caller at a time.

#include "Platform/Audio/AudioError.hpp"
#include "Platform/Audio/AudioFormat.hpp"
#include "Platform/Audio/ChannelMixer.hpp"
#include "Platform/Audio/PCMBuffer.hpp"
#include "Platform/Audio/Resampler.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform::audio {

enum class AudioConverterInputStatus { haveData, noDataNow, endOfStream };

// haveData: the output buffer was filled, or the last frames of the stream
//           were delivered; inputRanDry: the input answered "no data now" and
//           the output holds what could be converted so far; endOfStream: the
//           stream is over and this call delivered no frames; error: see the
//           error out-parameter.
enum class AudioConverterOutputStatus { haveData, inputRanDry, endOfStream, error };

// Asked for roughly `packetCount` input frames; sets the status and, with
// haveData, returns a buffer in the converter's input format. The converter
// has taken all of the buffer's frames before it asks again.
using AudioConverterInputBlock =
    std::function<const PCMBuffer*(std::uint32_t packetCount, AudioConverterInputStatus& status)>;

class AudioConverter {
public:
    // Null when either format has no PCM encoding.
    static std::unique_ptr<AudioConverter> make(const AudioFormat& inputFormat, const AudioFormat& outputFormat);

    // Converts a whole buffer, tail included. Throws AudioError.
    static PCMBuffer convertAll(const PCMBuffer& input, const AudioFormat& outputFormat);

    const AudioFormat& inputFormat() const { return inputFormat_; }
    const AudioFormat& outputFormat() const { return outputFormat_; }

    // Fills `output` (its frame length is set to what was written) from input
    // pulled through `input`. On the error status `error`, when given, receives the cause.
    AudioConverterOutputStatus convert(PCMBuffer& output, const AudioConverterInputBlock& input,
                                       std::optional<AudioError>* error = nullptr);

    // Drops buffered audio and filter state, ready for a new stream.
    void reset();

private:
    struct Key {};

public:
    AudioConverter(Key, const AudioFormat& inputFormat, const AudioFormat& outputFormat);

private:

    void take(const PCMBuffer& buffer);
    void endInput();
    std::uint32_t deliver(PCMBuffer& output, std::uint32_t written);
    std::uint32_t inputFramesFor(std::uint32_t outputFrames) const;

    AudioFormat inputFormat_;
    AudioFormat outputFormat_;
    ChannelMixer mixer_;
    std::optional<Resampler> resampler_; // absent when the rates are equal
    std::vector<float> scratch_;         // interleaved input frames, all channels
    std::vector<float> mixed_;           // interleaved input frames, working channels
    std::vector<float> pending_;         // converted frames not yet delivered, working channels
    std::size_t pendingOffset_ = 0;      // samples of pending_ already delivered
    bool inputEnded_ = false;
};

} // namespace platform::audio
