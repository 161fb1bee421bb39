#include "Platform/Audio/SampleCopy.hpp"

#include <algorithm>
#include <cmath>

namespace platform::audio {
namespace {

float toFloat(float sample) { return sample; }
float toFloat(std::int16_t sample) { return static_cast<float>(sample) * (1.0f / 32768.0f); }

void fromFloat(float sample, float& out) { out = sample; }
void fromFloat(float sample, std::int16_t& out) {
    if (std::isnan(sample)) {
        out = 0;
        return;
    }
    out = static_cast<std::int16_t>(std::clamp(std::lround(sample * 32768.0f), -32768L, 32767L));
}

template <typename Sample>
void read(const PCMBuffer& source, const Sample* const* blocks, std::uint32_t first, std::uint32_t count,
          float* destination) {
    const std::uint32_t channels = source.format().channelCount();
    const std::uint32_t stride = source.stride();
    for (std::uint32_t c = 0; c < channels; ++c) {
        const Sample* block = source.format().isInterleaved() ? blocks[0] + c : blocks[c];
        for (std::uint32_t f = 0; f < count; ++f) {
            destination[std::size_t{f} * channels + c] = toFloat(block[std::size_t{first + f} * stride]);
        }
    }
}

template <typename Sample>
void write(PCMBuffer& destination, Sample* const* blocks, std::uint32_t first, const float* source,
           std::uint32_t count, std::uint32_t sourceChannels) {
    const std::uint32_t channels = destination.format().channelCount();
    const std::uint32_t stride = destination.stride();
    for (std::uint32_t c = 0; c < channels; ++c) {
        Sample* block = destination.format().isInterleaved() ? blocks[0] + c : blocks[c];
        const std::uint32_t from = c % sourceChannels;
        for (std::uint32_t f = 0; f < count; ++f) {
            fromFloat(source[std::size_t{f} * sourceChannels + from], block[std::size_t{first + f} * stride]);
        }
    }
}

template <typename Sample, typename Buffer, typename Access>
auto blockPointers(Buffer& buffer, Access access) {
    std::vector<Sample*> blocks(buffer.dataBlockCount());
    for (std::uint32_t b = 0; b < blocks.size(); ++b) {
        blocks[b] = access(buffer, b);
    }
    return blocks;
}

} // namespace

void readInterleavedFloat(const PCMBuffer& source, std::uint32_t first, std::uint32_t count, float* destination) {
    if (source.format().commonFormat() == CommonFormat::pcmFormatInt16) {
        const auto blocks = blockPointers<const std::int16_t>(
            source, [](const PCMBuffer& b, std::uint32_t i) { return b.int16ChannelData(i); });
        read(source, blocks.data(), first, count, destination);
    } else {
        const auto blocks = blockPointers<const float>(
            source, [](const PCMBuffer& b, std::uint32_t i) { return b.floatChannelData(i); });
        read(source, blocks.data(), first, count, destination);
    }
}

void writeInterleavedFloat(PCMBuffer& destination, std::uint32_t first, const float* source, std::uint32_t count,
                           std::uint32_t sourceChannels) {
    if (destination.format().commonFormat() == CommonFormat::pcmFormatInt16) {
        const auto blocks = blockPointers<std::int16_t>(
            destination, [](PCMBuffer& b, std::uint32_t i) { return b.int16ChannelData(i); });
        write(destination, blocks.data(), first, source, count, sourceChannels);
    } else {
        const auto blocks =
            blockPointers<float>(destination, [](PCMBuffer& b, std::uint32_t i) { return b.floatChannelData(i); });
        write(destination, blocks.data(), first, source, count, sourceChannels);
    }
}

} // namespace platform::audio
