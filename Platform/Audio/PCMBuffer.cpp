#include "Platform/Audio/PCMBuffer.hpp"

#include "Platform/Audio/AudioError.hpp"

#include <new>
#include <string>
#include <utility>

namespace platform::audio {

std::optional<PCMBuffer> PCMBuffer::make(const AudioFormat& format, std::uint32_t frameCapacity) {
    if (format.commonFormat() == CommonFormat::otherFormat) {
        return std::nullopt;
    }
    try {
        return PCMBuffer(format, frameCapacity);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

PCMBuffer::PCMBuffer(const AudioFormat& format, std::uint32_t frameCapacity)
    : format_(format), frameCapacity_(frameCapacity) {
    const std::size_t samples = std::size_t{frameCapacity} * format.channelCount();
    if (format.commonFormat() == CommonFormat::pcmFormatFloat32) {
        floats_.assign(samples, 0.0f);
    } else {
        int16s_.assign(samples, 0);
    }
}

void PCMBuffer::setFrameLength(std::uint32_t frameLength) {
    if (frameLength > frameCapacity_) {
        throw AudioError(AudioErrorKind::invalidArgument,
                         "Frame length " + std::to_string(frameLength) + " exceeds the buffer's capacity of " +
                             std::to_string(frameCapacity_) + " frames");
    }
    frameLength_ = frameLength;
}

float* PCMBuffer::floatChannelData(std::uint32_t block) {
    return const_cast<float*>(std::as_const(*this).floatChannelData(block));
}

const float* PCMBuffer::floatChannelData(std::uint32_t block) const {
    if (format_.commonFormat() != CommonFormat::pcmFormatFloat32 || block >= dataBlockCount()) {
        return nullptr;
    }
    return floats_.data() + block * blockSize();
}

std::int16_t* PCMBuffer::int16ChannelData(std::uint32_t block) {
    return const_cast<std::int16_t*>(std::as_const(*this).int16ChannelData(block));
}

const std::int16_t* PCMBuffer::int16ChannelData(std::uint32_t block) const {
    if (format_.commonFormat() != CommonFormat::pcmFormatInt16 || block >= dataBlockCount()) {
        return nullptr;
    }
    return int16s_.data() + block * blockSize();
}

std::span<float> PCMBuffer::floatChannel(std::uint32_t block) {
    float* data = floatChannelData(block);
    return data ? std::span<float>(data, std::size_t{frameLength_} * stride()) : std::span<float>();
}

std::span<const float> PCMBuffer::floatChannel(std::uint32_t block) const {
    const float* data = floatChannelData(block);
    return data ? std::span<const float>(data, std::size_t{frameLength_} * stride()) : std::span<const float>();
}

} // namespace platform::audio
