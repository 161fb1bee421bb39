#include "Platform/Audio/AudioConverter.hpp"

#include "Platform/Audio/SampleCopy.hpp"

#include <algorithm>
#include <cmath>

namespace platform::audio {
namespace {

bool hasSamples(const AudioFormat& format) { return format.commonFormat() != CommonFormat::otherFormat; }

// Copies the frames of `source` after those already in `destination`,
// growing it (by reallocation) when they do not fit.
void append(PCMBuffer& destination, const PCMBuffer& source) {
    const std::uint32_t start = destination.frameLength();
    const std::uint64_t needed = std::uint64_t{start} + source.frameLength();
    if (needed > UINT32_MAX) {
        throw AudioError(AudioErrorKind::invalidArgument, "Converted audio exceeds the largest buffer");
    }
    if (needed > destination.frameCapacity()) {
        const auto capacity = static_cast<std::uint32_t>(std::min<std::uint64_t>(needed * 2, UINT32_MAX));
        auto larger = PCMBuffer::make(destination.format(), capacity);
        if (!larger) {
            throw AudioError(AudioErrorKind::invalidArgument, "Failed to create conversion buffer");
        }
        larger->setFrameLength(0);
        append(*larger, destination);
        destination = std::move(*larger);
    }
    const std::size_t stride = source.stride();
    for (std::uint32_t block = 0; block < source.dataBlockCount(); ++block) {
        if (const float* from = source.floatChannelData(block)) {
            std::copy_n(from, source.frameLength() * stride, destination.floatChannelData(block) + start * stride);
        } else {
            std::copy_n(source.int16ChannelData(block), source.frameLength() * stride,
                        destination.int16ChannelData(block) + start * stride);
        }
    }
    destination.setFrameLength(static_cast<std::uint32_t>(needed));
}

} // namespace

std::unique_ptr<AudioConverter> AudioConverter::make(const AudioFormat& inputFormat, const AudioFormat& outputFormat) {
    if (!hasSamples(inputFormat) || !hasSamples(outputFormat)) {
        return nullptr;
    }
    try {
        return std::make_unique<AudioConverter>(Key{}, inputFormat, outputFormat);
    } catch (const AudioError&) {
        return nullptr;
    }
}

AudioConverter::AudioConverter(Key, const AudioFormat& inputFormat, const AudioFormat& outputFormat)
    : inputFormat_(inputFormat),
      outputFormat_(outputFormat),
      mixer_(inputFormat.channelCount(), outputFormat.channelCount()) {
    if (inputFormat.sampleRate() != outputFormat.sampleRate()) {
        resampler_.emplace(inputFormat.sampleRate(), outputFormat.sampleRate(), mixer_.workingChannels());
    }
}

PCMBuffer AudioConverter::convertAll(const PCMBuffer& input, const AudioFormat& outputFormat) {
    auto converter = make(input.format(), outputFormat);
    if (!converter) {
        throw AudioError(AudioErrorKind::invalidFormat, "Failed to create audio converter from " +
                                                            input.format().description() + " to " +
                                                            outputFormat.description());
    }
    const double expected =
        std::ceil(input.frameLength() * outputFormat.sampleRate() / input.format().sampleRate()) + 1;
    auto result = PCMBuffer::make(outputFormat, static_cast<std::uint32_t>(std::min<double>(expected, UINT32_MAX)));
    auto chunk = PCMBuffer::make(outputFormat, 4096);
    if (!result || !chunk) {
        throw AudioError(AudioErrorKind::invalidArgument, "Failed to create conversion buffer");
    }
    if (input.frameLength() == 0) {
        return std::move(*result);
    }
    bool supplied = false;
    const AudioConverterInputBlock feed = [&](std::uint32_t, AudioConverterInputStatus& status) -> const PCMBuffer* {
        status = supplied ? AudioConverterInputStatus::endOfStream : AudioConverterInputStatus::haveData;
        const bool first = !supplied;
        supplied = true;
        return first ? &input : nullptr;
    };
    for (;;) {
        std::optional<AudioError> error;
        const auto status = converter->convert(*chunk, feed, &error);
        if (status == AudioConverterOutputStatus::error) {
            throw *error;
        }
        append(*result, *chunk);
        if (status == AudioConverterOutputStatus::endOfStream) {
            return std::move(*result);
        }
    }
}

AudioConverterOutputStatus AudioConverter::convert(PCMBuffer& output, const AudioConverterInputBlock& input,
                                                   std::optional<AudioError>* error) {
    const auto fail = [&](AudioErrorKind kind, const std::string& text) {
        if (error) {
            error->emplace(kind, text);
        }
        return AudioConverterOutputStatus::error;
    };
    if (output.format() != outputFormat_) {
        return fail(AudioErrorKind::formatMismatch, "Output buffer format " + output.format().description() +
                                                        " differs from the converter's " +
                                                        outputFormat_.description());
    }
    output.setFrameLength(0);
    std::uint32_t written = 0;
    try {
        for (;;) {
            written = deliver(output, written);
            if (written == output.frameCapacity()) {
                return AudioConverterOutputStatus::haveData;
            }
            if (inputEnded_) {
                return written > 0 ? AudioConverterOutputStatus::haveData : AudioConverterOutputStatus::endOfStream;
            }
            auto status = AudioConverterInputStatus::noDataNow;
            const PCMBuffer* buffer = input(inputFramesFor(output.frameCapacity() - written), status);
            if (status == AudioConverterInputStatus::noDataNow) {
                return AudioConverterOutputStatus::inputRanDry;
            }
            if (status == AudioConverterInputStatus::endOfStream) {
                endInput();
                continue;
            }
            if (!buffer) {
                return fail(AudioErrorKind::conversionFailed, "The input callback reported data but gave no buffer");
            }
            if (buffer->format() != inputFormat_) {
                return fail(AudioErrorKind::formatMismatch, "Input buffer format " + buffer->format().description() +
                                                                " differs from the converter's " +
                                                                inputFormat_.description());
            }
            if (buffer->frameLength() == 0) {
                return AudioConverterOutputStatus::inputRanDry;
            }
            take(*buffer);
        }
    } catch (const AudioError& cause) {
        if (error) {
            error->emplace(cause);
        }
        return AudioConverterOutputStatus::error;
    }
}

void AudioConverter::reset() {
    if (resampler_) {
        resampler_->clear();
    }
    pending_.clear();
    pendingOffset_ = 0;
    inputEnded_ = false;
}

void AudioConverter::take(const PCMBuffer& buffer) {
    if (pendingOffset_ > 0) {
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingOffset_));
        pendingOffset_ = 0;
    }
    // Pieces keep the scratch memory small however long the buffer is.
    constexpr std::uint32_t piece = 8192;
    for (std::uint32_t first = 0; first < buffer.frameLength(); first += piece) {
        const std::uint32_t frames = std::min(piece, buffer.frameLength() - first);
        scratch_.resize(std::size_t{frames} * inputFormat_.channelCount());
        readInterleavedFloat(buffer, first, frames, scratch_.data());
        if (!resampler_) {
            mixer_.reduce(scratch_.data(), frames, pending_);
            continue;
        }
        mixed_.clear();
        mixer_.reduce(scratch_.data(), frames, mixed_);
        resampler_->process(mixed_.data(), frames, pending_);
    }
}

void AudioConverter::endInput() {
    if (resampler_) {
        resampler_->flush(pending_);
    }
    inputEnded_ = true;
}

std::uint32_t AudioConverter::deliver(PCMBuffer& output, std::uint32_t written) {
    const std::uint32_t channels = mixer_.workingChannels();
    const std::size_t available = (pending_.size() - pendingOffset_) / channels;
    const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(available, output.frameCapacity() - written));
    if (count > 0) {
        writeInterleavedFloat(output, written, pending_.data() + pendingOffset_, count, channels);
        pendingOffset_ += std::size_t{count} * channels;
        output.setFrameLength(written + count);
    }
    if (pendingOffset_ == pending_.size()) {
        pending_.clear();
        pendingOffset_ = 0;
    }
    return written + count;
}

std::uint32_t AudioConverter::inputFramesFor(std::uint32_t outputFrames) const {
    const double frames = std::ceil(outputFrames * inputFormat_.sampleRate() / outputFormat_.sampleRate());
    return static_cast<std::uint32_t>(std::clamp(frames, 1.0, double{UINT32_MAX}));
}

} // namespace platform::audio
