#include "OstrelVirorez/Audio/AudioRecorder.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Audio/PulseCaptureEngine.hpp"
#include "OstrelVirorez/Audio/RecorderError.hpp"

#include "Platform/Concurrency/SystemClock.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>

namespace ostrelvirorez {

using platform::audio::AudioConverter;
using platform::audio::AudioConverterInputStatus;
using platform::audio::AudioConverterOutputStatus;
using platform::audio::AudioError;
using platform::audio::AudioFormat;
using platform::audio::CommonFormat;
using platform::audio::PCMBuffer;

namespace {

// -50 dB … 0 dB of signal power, linearly onto 0…1.
float levelFromMeanSquare(float meanSquare) {
    float level = (10.0f * std::log10(std::max(meanSquare, 1e-9f)) + 50.0f) / 50.0f;
    level = std::min(level, 1.0f);
    return level >= 0.0f ? level : 0.0f; // NaN fails the comparison too
}

} // namespace

AudioRecorder::AudioRecorder() : AudioRecorder(std::make_unique<PulseCaptureEngine>(), platform::SystemClock::shared()) {}

AudioRecorder::AudioRecorder(std::unique_ptr<AudioCaptureEngine> engine, const platform::Clock& clock)
    : engine_(std::move(engine)),
      clock_(clock),
      targetFormat_(AudioFormat::make(CommonFormat::pcmFormatFloat32, 16000, 1, false)) {}

AudioRecorder::~AudioRecorder() { stopRecording(); }

void AudioRecorder::startRecording() {
    {
        std::lock_guard guard(lock_);
        if (isCurrentlyRecording_) return;
        accumulatedBuffers_.clear();
        firstBufferLogged_ = false;
        recordStartMonotonic_ = clock_.now();
    }
    if (!targetFormat_) throw RecorderError(RecorderErrorKind::invalidTargetFormat);

    const AudioFormat inputFormat = engine_->inputFormat();
    converter_ = AudioConverter::make(inputFormat, *targetFormat_);
    if (!converter_) throw RecorderError(RecorderErrorKind::converterCreationFailed);

    engine_->installTap(tapBufferSize, inputFormat, [this](const PCMBuffer& buffer) { processBuffer(buffer); });
    try {
        engine_->start();
    } catch (...) {
        engine_->removeTap();
        converter_.reset();
        throw;
    }
    std::lock_guard guard(lock_);
    isCurrentlyRecording_ = true;
}

std::optional<PCMBuffer> AudioRecorder::stopRecording() {
    {
        std::lock_guard guard(lock_);
        if (!isCurrentlyRecording_) return std::nullopt;
        isCurrentlyRecording_ = false;
    }
    engine_->removeTap();
    engine_->stop();
    // The capture thread is done with the converter; its resampler still
    // holds the last few milliseconds.
    drainConverter();
    converter_.reset();
    std::lock_guard guard(lock_);
    return mergeBuffers();
}

std::optional<PCMBuffer> AudioRecorder::snapshotBuffer() {
    std::lock_guard guard(lock_);
    if (!isCurrentlyRecording_) return std::nullopt;
    return mergeBuffers();
}

void AudioRecorder::setOnLevelUpdate(LevelCallback callback) {
    std::lock_guard guard(levelCallbackLock_);
    onLevelUpdate_ = std::move(callback);
}

void AudioRecorder::setInputDevice(std::uint32_t deviceID) {
    engine_->setInputDevice(deviceID == 0 ? std::string() : std::to_string(deviceID));
}

void AudioRecorder::processBuffer(const PCMBuffer& buffer) {
    if (!firstBufferLogged_) {
        firstBufferLogged_ = true;
        const auto leadIn = std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now() - recordStartMonotonic_);
        logVirorez("AudioRecorder: first buffer after " + std::to_string(leadIn.count()) + " ms lead-in");
    }
    updateLevel(buffer);
    if (!converter_ || !targetFormat_) return;
    convertBlock(buffer);
}

void AudioRecorder::updateLevel(const PCMBuffer& buffer) {
    const auto now = clock_.now();
    if (lastLevelUpdate_ && std::chrono::duration<double>(now - *lastLevelUpdate_).count() < levelUpdateInterval) {
        return;
    }
    lastLevelUpdate_ = now;
    const float* samples = buffer.floatChannelData(0);
    if (!samples) return;
    const std::uint32_t frames = buffer.frameLength();
    const std::size_t stride = buffer.stride();
    float sumOfSquares = 0.0f;
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        const float sample = samples[frame * stride];
        sumOfSquares += sample * sample;
    }
    const float meanSquare = frames > 0 ? sumOfSquares / static_cast<float>(frames) : 0.0f;
    LevelCallback callback;
    {
        std::lock_guard guard(levelCallbackLock_);
        callback = onLevelUpdate_;
    }
    if (callback) callback(levelFromMeanSquare(meanSquare));
}

void AudioRecorder::convertBlock(const PCMBuffer& buffer) {
    // Rounded up, and repeated until the converter asks for more input, so
    // no converted frames are left waiting behind this block.
    const double frames = std::ceil(buffer.frameLength() * targetFormat_->sampleRate() / buffer.format().sampleRate());
    const auto capacity = static_cast<std::uint32_t>(std::min<double>(frames, UINT32_MAX));
    if (capacity == 0) return;
    bool consumed = false;
    const platform::audio::AudioConverterInputBlock feed = [&](std::uint32_t, AudioConverterInputStatus& status) {
        status = consumed ? AudioConverterInputStatus::noDataNow : AudioConverterInputStatus::haveData;
        const PCMBuffer* supplied = consumed ? nullptr : &buffer;
        consumed = true;
        return supplied;
    };
    convertAll(capacity, feed, "no memory for the converted block");
}

void AudioRecorder::drainConverter() {
    if (!converter_ || !targetFormat_) return;
    const platform::audio::AudioConverterInputBlock endOfStream = [](std::uint32_t, AudioConverterInputStatus& status) {
        status = AudioConverterInputStatus::endOfStream;
        return static_cast<const PCMBuffer*>(nullptr);
    };
    convertAll(tapBufferSize, endOfStream, "no memory for the converter's tail");
}

void AudioRecorder::convertAll(std::uint32_t capacity, const platform::audio::AudioConverterInputBlock& input,
                               const char* noMemoryReason) {
    for (;;) {
        auto output = PCMBuffer::make(*targetFormat_, capacity);
        if (!output) return logFailedConversion(noMemoryReason);
        std::optional<AudioError> error;
        const auto status = converter_->convert(*output, input, &error);
        if (status == AudioConverterOutputStatus::error) {
            return logFailedConversion(error ? error->description() : "unknown converter error");
        }
        if (output->frameLength() > 0) append(std::move(*output));
        if (status != AudioConverterOutputStatus::haveData) return;
    }
}

void AudioRecorder::append(PCMBuffer&& converted) {
    std::lock_guard guard(lock_);
    accumulatedBuffers_.push_back(std::move(converted));
}

void AudioRecorder::logFailedConversion(const std::string& reason) const {
    logVirorez("AudioRecorder: dropped a captured block that could not be converted: " + reason);
}

std::optional<PCMBuffer> AudioRecorder::mergeBuffers() const {
    if (accumulatedBuffers_.empty() || !targetFormat_) return std::nullopt;
    const std::uint64_t total = std::accumulate(
        accumulatedBuffers_.begin(), accumulatedBuffers_.end(), std::uint64_t{0},
        [](std::uint64_t sum, const PCMBuffer& block) { return sum + block.frameLength(); });
    if (total > UINT32_MAX) {
        logVirorez("AudioRecorder: recording too long to merge into one buffer");
        return std::nullopt;
    }
    auto merged = PCMBuffer::make(*targetFormat_, static_cast<std::uint32_t>(total));
    if (!merged || !merged->floatChannelData(0)) return std::nullopt;
    float* destination = merged->floatChannelData(0);
    std::uint64_t written = 0;
    for (const PCMBuffer& block : accumulatedBuffers_) {
        const auto samples = block.floatChannel(0);
        std::copy(samples.begin(), samples.end(), destination + written);
        written += samples.size();
    }
    merged->setFrameLength(static_cast<std::uint32_t>(written));
    return merged;
}

} // namespace ostrelvirorez
