#include "RazeziRuzer/Shared/AudioStream.hpp"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>

namespace razeziruzer {

namespace {

// seconds × rate rounded to the nearest sample, halves away from zero; none
// when the product is not a number that fits.
std::optional<std::int64_t> samplesIn(double seconds, double sampleRate) {
    const double samples = std::round(seconds * sampleRate);
    if (!std::isfinite(samples) || std::abs(samples) > 9.0e15) return std::nullopt;
    return static_cast<std::int64_t>(samples);
}

std::int64_t validChunkSize(double chunkDuration, double sampleRate) {
    const auto size = samplesIn(chunkDuration, sampleRate);
    if (!size || *size < 1) throw AudioStreamError(AudioStreamErrorKind::invalidChunkDuration);
    return *size;
}

std::int64_t validSkipSize(double chunkDuration, double chunkSkip, double sampleRate) {
    const std::int64_t chunkSize = validChunkSize(chunkDuration, sampleRate);
    const auto size = samplesIn(chunkSkip, sampleRate);
    if (!size || *size < 1 || *size > chunkSize) throw AudioStreamError(AudioStreamErrorKind::invalidChunkSkip);
    return *size;
}

std::vector<float> validBuffer(std::int64_t chunkSize, double capacitySeconds, double sampleRate) {
    const auto capacity = samplesIn(capacitySeconds, sampleRate);
    if (!capacity || *capacity < chunkSize) throw AudioStreamError(AudioStreamErrorKind::bufferTooSmall);
    return std::vector<float>(static_cast<std::size_t>(*capacity), 0.0f);
}

double roundedTime(double seconds, double sampleRate) {
    if (!std::isfinite(seconds)) throw std::invalid_argument("AudioStream: a write time must be a finite number");
    return std::round(seconds * sampleRate);
}

} // namespace

AudioStream::AudioStream(double chunkDuration, std::optional<double> chunkSkip, double streamStartTime,
                         AudioStreamChunkingStrategy chunkingStrategy, AudioStreamStartupStrategy startupStrategy,
                         double sampleRate, std::optional<double> bufferCapacitySeconds)
    : sampleRate_(sampleRate),
      chunkDuration_(chunkDuration),
      chunkSkip_(chunkSkip.value_or(chunkDuration)),
      chunkSize_(validChunkSize(chunkDuration, sampleRate)),
      skipSize_(validSkipSize(chunkDuration, chunkSkip_, sampleRate)),
      chunkingStrategy_(chunkingStrategy),
      temporaryChunkSize_(chunkSize_),
      bufferStartTime_(streamStartTime),
      buffer_(validBuffer(chunkSize_, bufferCapacitySeconds.value_or(chunkDuration_ + chunkSkip_), sampleRate)),
      converter_(sampleRate) {
    switch (startupStrategy) {
    case AudioStreamStartupStrategy::startSilent:
        writeIndex_ = chunkSize_ - skipSize_;
        bufferStartTime_ = streamStartTime - (chunkDuration_ - chunkSkip_);
        break;
    case AudioStreamStartupStrategy::rampUpChunkSize:
        temporaryChunkSize_ = skipSize_;
        break;
    case AudioStreamStartupStrategy::waitForFullChunk:
        break;
    }
}

bool AudioStream::hasNewChunk() const {
    std::shared_lock lock(mutex_);
    return writeIndex_ >= temporaryChunkSize_;
}

void AudioStream::bind(Callback callback) {
    auto shared = std::make_shared<const Callback>(std::move(callback));
    std::unique_lock lock(mutex_);
    callback_ = std::move(shared);
}

void AudioStream::bindDetached(Callback callback, platform::ThreadPool& pool) {
    bind([callback = std::make_shared<const Callback>(std::move(callback)), &pool](std::vector<float> chunk,
                                                                                   double time) {
        pool.execute([callback, chunk = std::move(chunk), time]() mutable { (*callback)(std::move(chunk), time); });
    });
}

void AudioStream::unbind() {
    std::unique_lock lock(mutex_);
    callback_.reset();
}

void AudioStream::write(std::span<const float> from, std::optional<double> atTime) {
    if (from.empty()) return;
    {
        std::unique_lock lock(mutex_);
        place(from, atTime);
    }
    deliverChunks();
}

void AudioStream::write(const platform::audio::PCMBuffer& from, std::optional<double> atTime) {
    const auto samples = converter_.resampleBuffer(from);
    write(std::span<const float>(samples), atTime);
}

std::optional<AudioStream::Chunk> AudioStream::readChunkIfAvailable() {
    std::unique_lock lock(mutex_);
    return takeChunk();
}

void AudioStream::deliverChunks() {
    for (;;) {
        std::shared_ptr<const Callback> callback;
        {
            std::shared_lock lock(mutex_);
            callback = callback_;
        }
        if (!callback) return;
        std::optional<Chunk> chunk;
        {
            std::unique_lock lock(mutex_);
            chunk = takeChunk();
        }
        if (!chunk) return;
        (*callback)(std::move(chunk->chunk), chunk->chunkStartTime);
    }
}

void AudioStream::place(std::span<const float> block, std::optional<double> atTime) {
    const auto n = static_cast<std::int64_t>(block.size());
    const std::int64_t shiftTarget =
        chunkingStrategy_ == AudioStreamChunkingStrategy::useMostRecent ? temporaryChunkSize_ : capacity();
    if (atTime) {
        // The time names the end of the block.
        const double target = roundedTime(*atTime, sampleRate_);
        const double end = roundedTime(bufferStartTime_, sampleRate_) + static_cast<double>(writeIndex_ + n);
        const auto gap = static_cast<std::int64_t>(target - end);
        if (gap > 0) {
            appendZeros(gap, capacity() - n, shiftTarget - n);
        } else if (gap < 0) {
            writeIndex_ += gap;
            if (writeIndex_ < 0) {
                bufferStartTime_ += static_cast<double>(writeIndex_) / sampleRate_;
                writeIndex_ = 0;
            }
        }
    }
    appendSamples(block, capacity(), shiftTarget);
}

std::int64_t AudioStream::makeRoom(std::int64_t count, std::int64_t cap, std::int64_t shiftTarget) {
    const std::int64_t end = writeIndex_ + count;
    if (end > cap) {
        forget(end - shiftTarget);
        if (shiftTarget <= 0) {
            writeIndex_ = shiftTarget;
            return 0;
        }
    } else if (end <= 0) {
        writeIndex_ = end;
        return 0;
    }
    if (writeIndex_ >= 0) return count;
    const std::int64_t accepted = count + writeIndex_;
    writeIndex_ = 0;
    return accepted;
}

void AudioStream::appendSamples(std::span<const float> samples, std::int64_t cap, std::int64_t shiftTarget) {
    const std::int64_t accepted = makeRoom(static_cast<std::int64_t>(samples.size()), cap, shiftTarget);
    const auto kept = samples.last(static_cast<std::size_t>(accepted));
    std::copy(kept.begin(), kept.end(), buffer_.begin() + writeIndex_);
    writeIndex_ += accepted;
}

void AudioStream::appendZeros(std::int64_t count, std::int64_t cap, std::int64_t shiftTarget) {
    const std::int64_t accepted = makeRoom(count, cap, shiftTarget);
    std::fill_n(buffer_.begin() + writeIndex_, accepted, 0.0f);
    writeIndex_ += accepted;
}

void AudioStream::forget(std::int64_t count) {
    if (count < writeIndex_) {
        std::copy(buffer_.begin() + count, buffer_.begin() + writeIndex_, buffer_.begin());
    }
    writeIndex_ -= count;
    bufferStartTime_ += static_cast<double>(count) / sampleRate_;
}

std::optional<AudioStream::Chunk> AudioStream::takeChunk() {
    if (writeIndex_ < temporaryChunkSize_) return std::nullopt;
    const std::int64_t start =
        chunkingStrategy_ == AudioStreamChunkingStrategy::useFixedSkip ? 0 : writeIndex_ - temporaryChunkSize_;
    Chunk chunk{std::vector<float>(buffer_.begin() + start, buffer_.begin() + start + temporaryChunkSize_),
                static_cast<double>(start) / sampleRate_ + bufferStartTime_};
    if (temporaryChunkSize_ == chunkSize_) {
        forget(chunkingStrategy_ == AudioStreamChunkingStrategy::useFixedSkip ? skipSize_
                                                                              : writeIndex_ - (chunkSize_ - skipSize_));
    } else {
        temporaryChunkSize_ = std::min(chunkSize_, temporaryChunkSize_ + skipSize_);
    }
    return chunk;
}

} // namespace razeziruzer
