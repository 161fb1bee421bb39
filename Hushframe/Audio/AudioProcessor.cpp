#include "Hushframe/Audio/AudioProcessor.hpp"

#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/Logging.hpp"
#include "Platform/Concurrency/TaskGroup.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace hushframe {

namespace fs = std::filesystem;
using pelluxcore::Logging;
using platform::audio::AudioConverter;
using platform::audio::AudioConverterInputStatus;
using platform::audio::AudioConverterOutputStatus;
using platform::audio::AudioError;
using platform::audio::AudioFile;
using platform::audio::AudioFormat;
using platform::audio::PCMBuffer;

namespace {

std::string number(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string twoDecimals(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

void requireFile(const std::string& path) {
    std::error_code error;
    if (!fs::exists(path, error)) throw WhisperError::loadAudioFailed("Resource path does not exist " + path);
}

std::int64_t lengthOf(const AudioFile& file) {
    if (file.length() > std::numeric_limits<std::uint32_t>::max()) {
        throw WhisperError::loadAudioFailed("Audio file is too long: " + std::to_string(file.length()) + " frames");
    }
    return file.length();
}

// The frame at a time, truncated; a product within rounding error of a whole
// frame counts as that frame, so that a time computed as frames / rate (the
// duration, a segment end) maps back to the same frame.
std::int64_t frameAt(double seconds, double rate) {
    const double frames = seconds * rate;
    const double nearest = std::round(frames);
    if (std::abs(frames - nearest) < 1e-6) return static_cast<std::int64_t>(nearest);
    return static_cast<std::int64_t>(frames);
}

void logBufferDetails(const std::string& label, double rate, std::uint32_t channels, std::int64_t frames) {
    Logging::debug(label + " - Sample Rate: " + number(rate) + " Hz, Channel Count: " + std::to_string(channels) +
                   ", Frame Length: " + std::to_string(frames) + ", Duration: " + number(frames / rate) + "s");
}

// Sample `frame` of channel `channel`, whatever the buffer's layout.
float sampleAt(const PCMBuffer& buffer, std::uint32_t channel, std::uint32_t frame) {
    if (buffer.format().isInterleaved()) {
        return buffer.floatChannelData(0)[std::size_t{frame} * buffer.stride() + channel];
    }
    return buffer.floatChannelData(channel)[frame];
}

float peakOf(const PCMBuffer& buffer, std::uint32_t channel) {
    float peak = 0;
    for (std::uint32_t frame = 0; frame < buffer.frameLength(); ++frame) {
        peak = std::max(peak, std::abs(sampleAt(buffer, channel, frame)));
    }
    return peak;
}

} // namespace

PCMBuffer AudioProcessor::loadAudio(const std::string& fromPath, const ChannelMode& channelMode,
                                    std::optional<double> startTime, std::optional<double> endTime,
                                    std::optional<std::uint32_t> maxReadFrameSize) {
    requireFile(fromPath);
    AudioFile file(fromPath);
    return loadAudio(file, channelMode, startTime, endTime, maxReadFrameSize);
}

PCMBuffer AudioProcessor::loadAudio(AudioFile& fromFile, const ChannelMode& channelMode,
                                    std::optional<double> startTime, std::optional<double> endTime,
                                    std::optional<std::uint32_t> maxReadFrameSize) {
    const double rate = fromFile.fileFormat().sampleRate();
    const std::uint32_t channels = fromFile.fileFormat().channelCount();
    const std::int64_t length = lengthOf(fromFile);

    const std::int64_t startFrame = std::max<std::int64_t>(frameAt(startTime.value_or(0), rate), 0);
    const std::int64_t endFrame = endTime ? std::min(length, frameAt(*endTime, rate)) : length;
    // A start after the end reads nothing.
    const auto frameCount = static_cast<std::uint32_t>(std::max<std::int64_t>(endFrame - startFrame, 0));
    fromFile.setFramePosition(startFrame);

    std::optional<PCMBuffer> result;
    if (rate == sampleRate && channels == 1) {
        result = PCMBuffer::make(fromFile.processingFormat(), frameCount);
        if (!result) throw WhisperError::loadAudioFailed("Unable to create audio buffer");
        try {
            fromFile.read(*result, frameCount);
        } catch (const std::exception& error) {
            throw WhisperError::loadAudioFailed(std::string("Failed to read audio file: ") + error.what());
        }
    } else {
        result = resampleAudio(fromFile, sampleRate, 1, channelMode, frameCount,
                               maxReadFrameSize.value_or(Constants::defaultAudioReadFrameSize));
        if (!result) throw WhisperError::loadAudioFailed("Failed to process audio buffer");
    }

    logBufferDetails("Audio source details", rate, channels, length);
    logBufferDetails("Audio buffer details", result->format().sampleRate(), result->format().channelCount(),
                     result->frameLength());
    Logging::logCurrentMemoryUsage("After loadAudio function");
    return std::move(*result);
}

std::vector<float> AudioProcessor::loadAudioAsFloatArray(const std::string& fromPath, const ChannelMode& channelMode,
                                                         std::optional<double> startTime,
                                                         std::optional<double> endTime) {
    requireFile(fromPath);
    AudioFile file(fromPath);
    const double duration = static_cast<double>(lengthOf(file)) / file.fileFormat().sampleRate();
    double time = startTime.value_or(0);
    const double end = std::min(duration, endTime.value_or(duration));
    std::vector<float> samples;
    while (time < end) {
        const double segmentEnd = std::min(time + fileSegmentSeconds, end);
        PCMBuffer segment = loadAudio(file, channelMode, time, segmentEnd, std::nullopt);
        const std::vector<float> part = convertBufferToArray(segment, conversionChunkSize);
        samples.insert(samples.end(), part.begin(), part.end());
        time = segmentEnd;
    }
    return samples;
}

std::vector<AudioArrayOutcome> AudioProcessor::loadAudio(const std::vector<std::string>& at,
                                                         const ChannelMode& channelMode) {
    std::vector<AudioArrayOutcome> outcomes(at.size());
    platform::TaskGroup group;
    for (std::size_t i = 0; i < at.size(); ++i) {
        group.spawn([&, i](std::stop_token) {
            try {
                outcomes[i] = loadAudioAsFloatArray(at[i], channelMode, 0, std::nullopt);
            } catch (...) {
                outcomes[i] = std::current_exception();
            }
        });
    }
    group.wait();
    return outcomes;
}

PCMBuffer AudioProcessor::loadAudioAsync(const std::string& fromPath) {
    return loadAudio(fromPath, ChannelMode::sumChannels(), 0, std::nullopt, std::nullopt);
}

std::optional<PCMBuffer> AudioProcessor::resampleAudio(AudioFile& fromFile, double toSampleRate,
                                                       std::uint32_t channelCount, const ChannelMode& channelMode,
                                                       std::optional<std::uint32_t> frameCount,
                                                       std::uint32_t maxReadFrameSize) {
    const double inputRate = fromFile.fileFormat().sampleRate();
    const std::int64_t start = fromFile.framePosition();
    const std::int64_t count = frameCount ? std::int64_t{*frameCount} : fromFile.length();
    // One past the length: the last read may ask a frame more than the file holds.
    const std::int64_t end = std::min(fromFile.length() + 1, start + count);

    const auto outputFormat = AudioFormat::standard(toSampleRate, channelCount);
    if (!outputFormat) {
        Logging::error("Failed to create output audio format");
        return std::nullopt;
    }
    Logging::debug("Resampling " + twoDecimals(count / inputRate) + " seconds of audio");
    const double capacity = std::trunc(outputFormat->sampleRate() * (count / inputRate));
    auto output = PCMBuffer::make(*outputFormat, static_cast<std::uint32_t>(
                                                     std::clamp<double>(capacity, 0, std::numeric_limits<std::uint32_t>::max())));
    if (!output) {
        Logging::error("Failed to create output buffer");
        return std::nullopt;
    }
    auto readBuffer = PCMBuffer::make(fromFile.processingFormat(), std::max<std::uint32_t>(maxReadFrameSize, 1));
    if (!readBuffer) {
        Logging::error("Failed to create read buffer");
        return std::nullopt;
    }
    if (start >= end) return output;

    for (;;) {
        const std::int64_t position = fromFile.framePosition();
        const auto frames = static_cast<std::uint32_t>(std::min<std::int64_t>(end - position, readBuffer->frameCapacity()));
        Logging::debug("Resampling " + twoDecimals(position / inputRate) + "s - " +
                       twoDecimals((position + frames) / inputRate) + "s");
        try {
            fromFile.read(*readBuffer, frames);
        } catch (const std::exception& error) {
            Logging::error(std::string("Error reading audio file: ") + error.what());
            return std::nullopt;
        }
        // Nothing left to read (the frame past the end): nothing to convert.
        if (readBuffer->frameLength() == 0) break;
        const auto mono = convertToMono(*readBuffer, channelMode);
        if (!mono) {
            Logging::error("Failed to process audio channels");
            return std::nullopt;
        }
        const auto chunk = resampleAudio(*mono, outputFormat->sampleRate(), outputFormat->channelCount());
        if (!chunk) {
            Logging::error("Failed to resample audio chunk");
            return std::nullopt;
        }
        if (!appendContents(*output, *chunk, 0, chunk->frameLength())) {
            Logging::error("Failed to append audio chunk");
            return std::nullopt;
        }
        if (position + frames >= end) break;
    }
    return output;
}

std::optional<PCMBuffer> AudioProcessor::resampleAudio(const PCMBuffer& fromBuffer, double toSampleRate,
                                                       std::uint32_t channelCount) {
    const auto outputFormat = AudioFormat::standard(toSampleRate, channelCount);
    if (!outputFormat) {
        Logging::error("Failed to create output audio format");
        return std::nullopt;
    }
    const auto converter = AudioConverter::make(fromBuffer.format(), *outputFormat);
    if (!converter) {
        Logging::error("Failed to create audio converter");
        return std::nullopt;
    }
    try {
        return resampleBuffer(fromBuffer, *converter);
    } catch (const std::exception& error) {
        Logging::error(std::string("Failed to resample buffer: ") + error.what());
        return std::nullopt;
    }
}

PCMBuffer AudioProcessor::resampleBuffer(const PCMBuffer& buffer, AudioConverter& converter) {
    double capacity = buffer.frameLength() * converter.outputFormat().sampleRate() / converter.inputFormat().sampleRate();
    if (capacity != std::floor(capacity)) {
        // The default rounding mode rounds halves to even.
        const double rounded = std::max(1.0, std::nearbyint(capacity));
        Logging::debug("Rounding buffer frame capacity from " + number(capacity) + " to " + number(rounded) +
                       " to better fit new sample rate");
        capacity = rounded;
    }
    auto output = PCMBuffer::make(converter.outputFormat(),
                                  static_cast<std::uint32_t>(std::min<double>(capacity, std::numeric_limits<std::uint32_t>::max())));
    if (!output) throw WhisperError::audioProcessingFailed("Failed to create converted buffer");

    // The converter takes every frame it is handed and keeps its filter's
    // tail until the stream ends, so the buffer is handed over once and the
    // end of the stream follows; handing it again would convert it twice.
    bool handedOver = false;
    const platform::audio::AudioConverterInputBlock input =
        [&](std::uint32_t, AudioConverterInputStatus& status) -> const PCMBuffer* {
        if (handedOver || buffer.frameLength() == 0) {
            status = AudioConverterInputStatus::endOfStream;
            return nullptr;
        }
        handedOver = true;
        status = AudioConverterInputStatus::haveData;
        return &buffer;
    };
    std::optional<AudioError> error;
    if (converter.convert(*output, input, &error) == AudioConverterOutputStatus::error) {
        throw WhisperError::audioProcessingFailed("Error converting audio: " +
                                                  (error ? std::string(error->what()) : std::string("unknown error")));
    }
    return std::move(*output);
}

std::optional<PCMBuffer> AudioProcessor::convertToMono(const PCMBuffer& buffer, const ChannelMode& mode) {
    const std::uint32_t channelCount = buffer.format().channelCount();
    if (channelCount < 2) return buffer;
    if (!buffer.floatChannelData(0)) {
        Logging::error("Buffer did not contain floatChannelData.");
        return std::nullopt;
    }
    const auto monoFormat = AudioFormat::standard(buffer.format().sampleRate(), 1);
    if (!monoFormat) {
        Logging::error("Failed to create AVAudioFormat object.");
        return std::nullopt;
    }
    auto mono = PCMBuffer::make(*monoFormat, buffer.frameCapacity());
    if (!mono) {
        Logging::error("Failed to create mono buffer.");
        return std::nullopt;
    }
    const std::uint32_t frames = buffer.frameLength();
    mono->setFrameLength(frames);
    float* out = mono->floatChannelData(0);
    const auto copyChannel = [&](std::uint32_t channel) {
        for (std::uint32_t frame = 0; frame < frames; ++frame) out[frame] = sampleAt(buffer, channel, frame);
    };

    if (const auto* specific = std::get_if<AudioInputConfig::ChannelMode::SpecificChannel>(&mode.mode)) {
        const int channel = specific->channel;
        copyChannel(channel >= 0 && static_cast<std::uint32_t>(channel) < channelCount ? static_cast<std::uint32_t>(channel)
                                                                                       : 0);
        return mono;
    }

    const auto& listed = std::get<AudioInputConfig::ChannelMode::SumChannels>(mode.mode).channels;
    std::vector<std::uint32_t> chosen;
    if (listed && !listed->empty()) {
        for (const int channel : *listed) {
            if (channel >= 0 && static_cast<std::uint32_t>(channel) < channelCount) {
                chosen.push_back(static_cast<std::uint32_t>(channel));
            }
        }
        if (chosen.empty()) {
            copyChannel(0);
            Logging::debug("No valid channel indices provided, defaulting to first channel");
            return mono;
        }
    } else {
        for (std::uint32_t channel = 0; channel < channelCount; ++channel) chosen.push_back(channel);
    }

    float peak = 0;
    for (const std::uint32_t channel : chosen) peak = std::max(peak, peakOf(buffer, channel));
    for (const std::uint32_t channel : chosen) {
        for (std::uint32_t frame = 0; frame < frames; ++frame) out[frame] += sampleAt(buffer, channel, frame);
    }
    const float scale = peak / std::max(mixFloor, peakOf(*mono, 0));
    for (std::uint32_t frame = 0; frame < frames; ++frame) out[frame] *= scale;
    return mono;
}

std::vector<float> AudioProcessor::convertBufferToArray(const PCMBuffer& buffer, std::int64_t chunkSize) {
    // The caller's buffer is only read: callers hand in recordings they keep.
    const float* data = buffer.floatChannelData(0);
    if (!data) return {};
    const std::size_t frames = buffer.frameLength();
    const std::size_t stride = buffer.stride();
    const auto step = static_cast<std::size_t>(std::max<std::int64_t>(chunkSize, 1));
    std::vector<float> samples;
    samples.reserve(frames);
    for (std::size_t offset = 0; offset < frames; offset += step) {
        const std::size_t count = std::min(step, frames - offset);
        for (std::size_t frame = offset; frame < offset + count; ++frame) samples.push_back(data[frame * stride]);
    }
    return samples;
}

bool AudioProcessor::appendContents(PCMBuffer& receiver, const PCMBuffer& source, std::int64_t startingFrame,
                                    std::uint32_t frameCount) {
    if (receiver.format() != source.format()) {
        Logging::debug("Format mismatch");
        return false;
    }
    if (startingFrame < 0 || std::int64_t{source.frameLength()} < startingFrame + frameCount) {
        Logging::error("Insufficient audio in buffer");
        return false;
    }
    const float* from = source.floatChannelData(0);
    float* to = receiver.floatChannelData(0);
    if (!from || !to) {
        Logging::error("Failed to access float channel data");
        return false;
    }
    if (std::uint64_t{receiver.frameLength()} + frameCount > receiver.frameCapacity()) {
        Logging::debug("Insufficient space in buffer, reducing frame count to fit");
        frameCount = receiver.frameCapacity() - receiver.frameLength();
    }
    const std::size_t stride = receiver.stride();
    std::copy_n(from + static_cast<std::size_t>(startingFrame) * stride, std::size_t{frameCount} * stride,
                to + std::size_t{receiver.frameLength()} * stride);
    receiver.setFrameLength(receiver.frameLength() + frameCount);
    return true;
}

std::vector<bool> AudioProcessor::calculateVoiceActivityInChunks(std::span<const float> of, std::int64_t chunkCount,
                                                                 std::int64_t frameLengthSamples,
                                                                 std::int64_t frameOverlapSamples,
                                                                 float energyThreshold) {
    const auto count = static_cast<std::int64_t>(of.size());
    std::vector<float> energies;
    energies.reserve(static_cast<std::size_t>(std::max<std::int64_t>(chunkCount, 0)));
    for (std::int64_t i = 0; i < chunkCount; ++i) {
        const std::int64_t start = std::min(i * frameLengthSamples, count);
        const std::int64_t end = std::min(start + frameLengthSamples + frameOverlapSamples, count);
        double sumOfSquares = 0;
        for (std::int64_t j = start; j < end; ++j) sumOfSquares += double{of[static_cast<std::size_t>(j)]} * of[static_cast<std::size_t>(j)];
        // An empty frame has no energy.
        energies.push_back(end > start ? static_cast<float>(std::sqrt(sumOfSquares / static_cast<double>(end - start))) : 0.0F);
    }
    std::vector<bool> flags;
    flags.reserve(energies.size());
    for (const float energy : energies) flags.push_back(energy > energyThreshold);
    return flags;
}

} // namespace hushframe
