#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include "Platform/Audio/AudioConverter.hpp"
#include "Platform/Audio/AudioFile.hpp"
#include "RazeziRuzer/Shared/DoubleText.hpp"
#include "RazeziRuzer/Shared/LongArray.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>

namespace razeziruzer {

using platform::audio::AudioConverterInputBlock;
using platform::audio::AudioConverterInputStatus;
using platform::audio::AudioConverterOutputStatus;
using platform::audio::AudioFormat;
using platform::audio::PCMBuffer;

namespace {

constexpr std::uint32_t drainFrames = 4096;
constexpr std::uint32_t minimumFileChunkFrames = 4096;

AudioFormat monoFloatFormat(double sampleRate) {
    auto format = AudioFormat::standard(sampleRate, 1);
    if (!format) throw AudioConverterError::failedToCreateSourceFormat();
    return *format;
}

PCMBuffer makeBuffer(const AudioFormat& format, double frames) {
    if (!(frames >= 0) || frames > std::numeric_limits<std::uint32_t>::max()) {
        throw AudioConverterError::failedToCreateBuffer();
    }
    auto buffer = PCMBuffer::make(format, static_cast<std::uint32_t>(frames));
    if (!buffer) throw AudioConverterError::failedToCreateBuffer();
    return std::move(*buffer);
}

// Appends the valid frames of the buffer's first channel; a buffer without
// float samples adds nothing.
void appendFirstChannel(const PCMBuffer& buffer, std::vector<float>& out) {
    const float* data = buffer.floatChannelData(0);
    if (!data) return;
    const std::uint32_t stride = buffer.stride();
    if (stride == 1) {
        out.insert(out.end(), data, data + buffer.frameLength());
        return;
    }
    for (std::uint32_t frame = 0; frame < buffer.frameLength(); ++frame) {
        out.push_back(data[std::size_t{frame} * stride]);
    }
}

// Hands the whole input over on the first request and reports the end of
// the stream on every later one.
AudioConverterInputBlock onceOnly(const PCMBuffer& input, bool& supplied) {
    return [&input, &supplied](std::uint32_t, AudioConverterInputStatus& status) -> const PCMBuffer* {
        if (std::exchange(supplied, true)) {
            status = AudioConverterInputStatus::endOfStream;
            return nullptr;
        }
        status = AudioConverterInputStatus::haveData;
        return &input;
    };
}

// Runs one conversion call; a failed status becomes conversionFailed carrying
// the platform's error.
AudioConverterOutputStatus convertOnce(platform::audio::AudioConverter& converter, PCMBuffer& output,
                                       const AudioConverterInputBlock& input) {
    std::optional<platform::audio::AudioError> error;
    const auto status = converter.convert(output, input, &error);
    if (status == AudioConverterOutputStatus::error) {
        throw AudioConverterError::conversionFailed(error ? std::make_exception_ptr(*error) : nullptr);
    }
    return status;
}

// Channel c of frame f, whatever the buffer's layout; the buffer holds floats.
float sampleAt(const PCMBuffer& buffer, std::uint32_t channel, std::uint32_t frame) {
    if (buffer.format().isInterleaved()) {
        return buffer.floatChannelData(0)[std::size_t{frame} * buffer.stride() + channel];
    }
    return buffer.floatChannelData(channel)[frame];
}

// Converts a file's chunks as one stream: the converter averages the channels
// and keeps its rate-conversion state from chunk to chunk, so the result is
// that of converting all of the file's samples in one piece, without ever
// holding them all.
class StreamingConversion {
public:
    StreamingConversion(const AudioFormat& from, const AudioFormat& to, std::size_t expectedFrames)
        : converter_(platform::audio::AudioConverter::make(from, to)), output_(makeBuffer(to, drainFrames)) {
        if (!converter_) throw AudioConverterError::failedToCreateConverter();
        reserveLongArray(samples_, expectedFrames + drainFrames);
    }

    // Converts all of the chunk's frames; the chunk may be reused afterwards.
    void take(const PCMBuffer& chunk) {
        bool supplied = false;
        drain([&](std::uint32_t, AudioConverterInputStatus& status) -> const PCMBuffer* {
            const bool first = !std::exchange(supplied, true);
            status = first ? AudioConverterInputStatus::haveData : AudioConverterInputStatus::noDataNow;
            return first ? &chunk : nullptr;
        });
    }

    // Ends the stream, adding the filter's tail, and hands over the samples.
    std::vector<float> finish() {
        drain([](std::uint32_t, AudioConverterInputStatus& status) -> const PCMBuffer* {
            status = AudioConverterInputStatus::endOfStream;
            return nullptr;
        });
        return std::move(samples_);
    }

private:
    void drain(const AudioConverterInputBlock& input) {
        for (;;) {
            const auto status = convertOnce(*converter_, output_, input);
            appendFirstChannel(output_, samples_);
            if (status != AudioConverterOutputStatus::haveData) return;
        }
    }

    std::unique_ptr<platform::audio::AudioConverter> converter_;
    PCMBuffer output_;
    std::vector<float> samples_;
};

} // namespace

AudioConverter::AudioConverter(double sampleRate, bool debug)
    : targetFormat_(monoFloatFormat(sampleRate)), debug_(debug) {}

AudioConverter::AudioConverter(std::optional<AudioFormat> targetFormat, bool debug)
    : targetFormat_(targetFormat ? *targetFormat : AudioFormat::standard()), debug_(debug) {}

bool AudioConverter::isTargetFormat(const AudioFormat& format) const {
    return format == targetFormat_;
}

std::vector<float> AudioConverter::resampleBuffer(const PCMBuffer& buffer) const {
    if (isTargetFormat(buffer.format())) {
        std::vector<float> samples;
        appendFirstChannel(buffer, samples);
        return samples;
    }
    return convertBuffer(buffer, targetFormat_);
}

std::vector<float> AudioConverter::convertBuffer(const PCMBuffer& buffer, const AudioFormat& to) const {
    if (buffer.format().channelCount() > 2) return linearResample(buffer, to);

    auto converter = platform::audio::AudioConverter::make(buffer.format(), to);
    if (!converter) throw AudioConverterError::failedToCreateConverter();

    const double ratio = to.sampleRate() / buffer.format().sampleRate();
    auto output = makeBuffer(to, std::ceil(buffer.frameLength() * ratio));
    const std::uint32_t inputFrames = buffer.frameLength();

    bool supplied = false;
    const auto input = onceOnly(buffer, supplied);
    std::vector<float> result;
    result.reserve(output.frameCapacity());
    convertOnce(*converter, output, input);
    appendFirstChannel(output, result);

    auto drain = makeBuffer(to, drainFrames);
    for (;;) {
        const auto status = convertOnce(*converter, drain, input);
        appendFirstChannel(drain, result);
        if (status == AudioConverterOutputStatus::endOfStream) break;
    }

    if (debug_) {
        logger_.debug("Audio conversion: " + std::to_string(inputFrames) + " samples → " +
                      std::to_string(result.size()) + " samples, ratio: " +
                      doubleText(static_cast<double>(result.size()) / static_cast<double>(inputFrames)));
    }
    return result;
}

std::vector<float> AudioConverter::linearResample(const PCMBuffer& buffer, const AudioFormat& to) const {
    if (!buffer.floatChannelData(0)) throw AudioConverterError::failedToCreateBuffer();

    const std::uint32_t channels = buffer.format().channelCount();
    const std::uint32_t frames = buffer.frameLength();
    const float reciprocal = 1.0f / static_cast<float>(channels);
    std::vector<float> mix(frames);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        float sum = 0;
        for (std::uint32_t channel = 0; channel < channels; ++channel) sum += sampleAt(buffer, channel, frame);
        mix[frame] = sum * reciprocal;
    }

    const double sourceRate = buffer.format().sampleRate();
    const double destinationRate = to.sampleRate();
    if (sourceRate == destinationRate) return mix;

    const double step = sourceRate / destinationRate;
    const auto outputLength = static_cast<std::size_t>(static_cast<double>(frames) / step);
    std::vector<float> out(outputLength);
    for (std::size_t i = 0; i < outputLength; ++i) {
        const double position = static_cast<double>(i) * step;
        const auto k = static_cast<std::size_t>(position);
        if (k + 1 < frames) {
            const auto fraction = static_cast<float>(position - static_cast<double>(k));
            out[i] = (1 - fraction) * mix[k] + fraction * mix[k + 1];
        } else if (k < frames) {
            out[i] = mix[k];
        }
    }

    if (debug_) {
        logger_.debug("Manual resampling: " + std::to_string(channels) + " channels → mono, " +
                      doubleText(sourceRate) + "Hz → " + doubleText(destinationRate) + "Hz");
    }
    return out;
}

std::vector<float> AudioConverter::resampleAudioFile(const std::filesystem::path& url) const {
    platform::audio::AudioFile file(url);
    const AudioFormat& working = file.processingFormat();
    const double fileRate = working.sampleRate();
    const double targetRate = targetFormat_.sampleRate();
    const auto chunkFrames = std::max(static_cast<std::uint32_t>(fileRate), minimumFileChunkFrames);

    std::optional<PCMBuffer> chunk;
    std::optional<StreamingConversion> conversion;
    while (file.framePosition() < file.length()) {
        const auto remaining = file.length() - file.framePosition();
        const auto wanted = static_cast<std::uint32_t>(std::min<std::int64_t>(remaining, chunkFrames));
        if (!chunk) chunk = makeBuffer(working, wanted);
        file.read(*chunk, wanted);
        if (chunk->frameLength() == 0) break;
        if (!conversion) {
            const double expected = std::ceil(static_cast<double>(file.length()) * targetRate / fileRate);
            conversion.emplace(working, monoFloatFormat(targetRate), static_cast<std::size_t>(expected));
        }
        conversion->take(*chunk);
    }
    return conversion ? conversion->finish() : std::vector<float>{};
}

std::vector<float> AudioConverter::resampleAudioFile(const std::string& path) const {
    return resampleAudioFile(std::filesystem::path(path));
}

std::vector<float> AudioConverter::resample(std::span<const float> samples, double from) const {
    return resampleWithAVAudio(samples, from, targetFormat_.sampleRate());
}

std::vector<float> AudioConverter::resampleWithAVAudio(std::span<const float> samples, double from,
                                                       double to) const {
    if (samples.empty()) return {};
    if (from == to) return {samples.begin(), samples.end()};
    const AudioFormat source = monoFloatFormat(from);
    auto buffer = makeBuffer(source, static_cast<double>(samples.size()));
    std::copy(samples.begin(), samples.end(), buffer.floatChannelData(0));
    buffer.setFrameLength(static_cast<std::uint32_t>(samples.size()));
    return convertBuffer(buffer, monoFloatFormat(to));
}

PCMBuffer AudioConverter::extractAVAudioPCMBuffer(const PCMBuffer& from) const {
    const std::uint32_t count = from.frameLength();
    auto buffer = makeBuffer(from.format(), count);
    buffer.setFrameLength(count);
    if (count == 0) return buffer;
    const std::size_t samplesPerBlock = std::size_t{count} * from.stride();
    for (std::uint32_t block = 0; block < from.dataBlockCount(); ++block) {
        if (const float* source = from.floatChannelData(block)) {
            std::copy_n(source, samplesPerBlock, buffer.floatChannelData(block));
        } else if (const std::int16_t* source16 = from.int16ChannelData(block)) {
            std::copy_n(source16, samplesPerBlock, buffer.int16ChannelData(block));
        }
    }
    return buffer;
}

std::vector<float> AudioConverter::resampleSampleBuffer(const PCMBuffer& sampleBuffer) const {
    return convertBuffer(extractAVAudioPCMBuffer(sampleBuffer), targetFormat_);
}

} // namespace razeziruzer
