#pragma once
// A block of PCM audio in one format: room for frameCapacity frames, of which
// the first frameLength are valid. Float32 or Int16 samples, one data block per
// channel (not interleaved) or one shared block (interleaved, stride = channels).

#include "Platform/Audio/AudioFormat.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::audio {

class PCMBuffer {
public:
    // Empty when the format has no PCM encoding or the memory cannot be had.
    static std::optional<PCMBuffer> make(const AudioFormat& format, std::uint32_t frameCapacity);

    const AudioFormat& format() const { return format_; }
    std::uint32_t frameCapacity() const { return frameCapacity_; }
    std::uint32_t frameLength() const { return frameLength_; }
    // Throws AudioError(invalidArgument) beyond the capacity.
    void setFrameLength(std::uint32_t frameLength);

    // Samples between one frame and the next inside a data block.
    std::uint32_t stride() const { return format_.isInterleaved() ? format_.channelCount() : 1; }
    // Number of data blocks: one per channel, or one when interleaved.
    std::uint32_t dataBlockCount() const { return format_.isInterleaved() ? 1 : format_.channelCount(); }

    // Start of a data block (capacity × stride samples); nullptr when the
    // buffer holds the other encoding or the block does not exist.
    float* floatChannelData(std::uint32_t block);
    const float* floatChannelData(std::uint32_t block) const;
    std::int16_t* int16ChannelData(std::uint32_t block);
    const std::int16_t* int16ChannelData(std::uint32_t block) const;

    // The valid part of a float data block (frameLength × stride samples);
    // empty for Int16 buffers and missing blocks.
    std::span<float> floatChannel(std::uint32_t block);
    std::span<const float> floatChannel(std::uint32_t block) const;

private:
    PCMBuffer(const AudioFormat& format, std::uint32_t frameCapacity);
    std::size_t blockSize() const { return std::size_t{frameCapacity_} * stride(); }

    AudioFormat format_;
    std::uint32_t frameCapacity_;
    std::uint32_t frameLength_ = 0;
    std::vector<float> floats_;
    std::vector<std::int16_t> int16s_;
};

} // namespace platform::audio
