// Live capture of AudioProcessor: engine set-up, the tap, and the recording's
// start, pause, resume and stop.

#include "Hushframe/Audio/AudioEnergy.hpp"
#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/Logging.hpp"
#include "Platform/Audio/PulseCaptureEngine.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace hushframe {

using pelluxcore::Logging;
using platform::audio::AudioConverter;
using platform::audio::AudioConverterInputStatus;
using platform::audio::AudioConverterOutputStatus;
using platform::audio::AudioError;
using platform::audio::AudioFormat;
using platform::audio::CaptureEngine;
using platform::audio::PCMBuffer;

namespace {

std::string number(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The buffer through the recording's converter, handed over once; the
// converter keeps its filter state (and any output beyond what is delivered
// here) for the next buffer, so nothing is converted twice and nothing is
// lost between buffers.
std::vector<float> convertCaptured(const PCMBuffer& buffer, AudioConverter& converter) {
    const double ratio = converter.outputFormat().sampleRate() / converter.inputFormat().sampleRate();
    const auto capacity = static_cast<std::uint32_t>(std::ceil(buffer.frameLength() * ratio)) + 64;
    auto chunk = PCMBuffer::make(converter.outputFormat(), capacity);
    if (!chunk) throw WhisperError::audioProcessingFailed("Failed to create converted buffer");
    bool handedOver = false;
    const platform::audio::AudioConverterInputBlock input =
        [&](std::uint32_t, AudioConverterInputStatus& status) -> const PCMBuffer* {
        if (handedOver) {
            status = AudioConverterInputStatus::noDataNow;
            return nullptr;
        }
        handedOver = true;
        status = AudioConverterInputStatus::haveData;
        return &buffer;
    };
    std::vector<float> samples;
    for (;;) {
        std::optional<AudioError> error;
        const auto status = converter.convert(*chunk, input, &error);
        if (status == AudioConverterOutputStatus::error) {
            throw WhisperError::audioProcessingFailed("Error converting audio: " +
                                                      (error ? std::string(error->what()) : std::string("unknown error")));
        }
        const auto converted = chunk->floatChannel(0);
        samples.insert(samples.end(), converted.begin(), converted.end());
        if (status != AudioConverterOutputStatus::haveData) return samples;
    }
}

} // namespace

AudioProcessor::AudioProcessor()
    : AudioProcessor([] { return std::make_unique<platform::audio::PulseCaptureEngine>("Hushframe Recorder"); }) {}

AudioProcessor::AudioProcessor(CaptureEngineFactory makeEngine)
    : makeEngine_(std::move(makeEngine)), self_(std::make_shared<AudioProcessor*>(this)) {}

AudioProcessor::~AudioProcessor() { stopRecording(); }

std::unique_ptr<CaptureEngine> AudioProcessor::setupEngine(DeviceID inputDeviceID) {
    auto engine = makeEngine_();
    if (inputDeviceID) {
        // A source that is gone is noticed at start, which then records from the default input.
        engine->setInputDevice(std::to_string(*inputDeviceID));
        Logging::info("Successfully set input device.");
    }
    const AudioFormat nodeFormat = engine->inputFormat();
    const auto desiredFormat = AudioFormat::standard(sampleRate, 1);
    if (!desiredFormat) throw WhisperError::audioProcessingFailed("Failed to create desired format");
    std::shared_ptr<AudioConverter> converter = AudioConverter::make(nodeFormat, *desiredFormat);
    if (!converter) throw WhisperError::audioProcessingFailed("Failed to create audio converter");

    // The tap may use `this`: the engine is stopped and its tap removed
    // before the processor lets go of it.
    engine->installTap(static_cast<std::uint32_t>(minBufferLength()), nodeFormat,
                       [this, converter](const PCMBuffer& buffer) { captureBuffer(buffer, *converter); });
    engine->start();
    return engine;
}

void AudioProcessor::captureBuffer(const PCMBuffer& buffer, AudioConverter& converter) {
    std::vector<float> samples;
    if (buffer.format().sampleRate() != sampleRate) {
        try {
            samples = convertCaptured(buffer, converter);
        } catch (const std::exception& error) {
            Logging::error(std::string("Failed to resample buffer: ") + error.what());
            return;
        }
    } else {
        samples = convertBufferToArray(buffer, conversionChunkSize);
    }
    suppressInputIfNeeded(samples);
    processBuffer(std::move(samples));
}

void AudioProcessor::processBuffer(std::vector<float> samples) {
    AudioBufferCallback callback;
    {
        std::lock_guard lock(mutex_);
        audioSamples_.insert(audioSamples_.end(), samples.begin(), samples.end());
        float reference = std::numeric_limits<float>::infinity();
        const std::size_t first = audioEnergy_.size() - std::min(audioEnergy_.size(), referenceHistory);
        for (std::size_t i = first; i < audioEnergy_.size(); ++i) reference = std::min(reference, audioEnergy_[i].avg);
        // With no history the reference is infinite and the relative energy 0.
        const float rel = AudioEnergy::calculateRelativeEnergy(samples, std::max(reference, 1e-8F));
        const AudioEnergy::Measures measures = AudioEnergy::calculateEnergy(samples);
        const EnergyRecord record{rel, measures.avg, measures.max, measures.min};
        audioEnergy_.push_back(record);
        callback = audioBufferCallback_;

        std::int64_t period = 0;
        const auto count = static_cast<std::int64_t>(audioSamples_.size());
        if (!__builtin_mul_overflow(minBufferLength_, relativeEnergyWindow_, &period) && period > 0 &&
            count % period == 0) {
            Logging::debug("Current audio size: " + std::to_string(count) + " samples, most recent buffer: " +
                           std::to_string(samples.size()) + " samples, most recent energy: (" + number(record.rel) +
                           ", " + number(record.avg) + ", " + number(record.max) + ", " + number(record.min) + ")");
        }
    }
    if (callback) callback(samples);
}

void AudioProcessor::suppressInputIfNeeded(std::vector<float>& samples) const {
    if (isInputSuppressed()) std::fill(samples.begin(), samples.end(), 0.0F);
}

void AudioProcessor::startRecordingLive(DeviceID inputDeviceID, AudioBufferCallback callback) {
    // An engine still running would go on capturing into the new recording.
    stopRecording();
    {
        std::lock_guard lock(mutex_);
        audioSamples_.clear();
        audioEnergy_.clear();
    }
    audioEngine_ = setupEngine(inputDeviceID);
    setAudioBufferCallback(std::move(callback));
    lastInputDevice_ = inputDeviceID;
}

std::pair<AudioSampleStream, AudioSampleStream::Continuation>
AudioProcessor::startStreamingRecordingLive(DeviceID inputDeviceID) {
    auto [stream, continuation] = AudioSampleStream::make();
    stream.setOnTermination([weak = std::weak_ptr<AudioProcessor*>(self_)] {
        if (const auto self = weak.lock()) {
            (*self)->setAudioBufferCallback(nullptr);
            (*self)->stopRecording();
        }
    });
    try {
        startRecordingLive(inputDeviceID, [continuation = continuation](const std::vector<float>& samples) {
            continuation.yield(samples);
        });
    } catch (...) {
        continuation.finish(std::current_exception());
    }
    return {std::move(stream), continuation};
}

void AudioProcessor::pauseRecording() {
    if (audioEngine_) audioEngine_->stop();
}

void AudioProcessor::resumeRecordingLive(DeviceID inputDeviceID, AudioBufferCallback callback) {
    if (inputDeviceID == lastInputDevice_) {
        if (audioEngine_) audioEngine_->start();
    } else {
        // The old engine must not keep capturing next to the new one.
        stopRecording();
        audioEngine_ = setupEngine(inputDeviceID);
        lastInputDevice_ = inputDeviceID;
    }
    if (callback) setAudioBufferCallback(std::move(callback));
}

void AudioProcessor::stopRecording() {
    if (!audioEngine_) return;
    audioEngine_->removeTap();
    audioEngine_->stop();
    audioEngine_.reset();
}

void AudioProcessor::purgeAudioSamples(std::int64_t keepingLast) {
    if (keepingLast < 0) return;
    std::lock_guard lock(mutex_);
    const auto keep = static_cast<std::uint64_t>(keepingLast);
    if (audioSamples_.size() > keep) {
        audioSamples_.erase(audioSamples_.begin(),
                            audioSamples_.end() - static_cast<std::ptrdiff_t>(keep));
    }
}

std::vector<float> AudioProcessor::audioSamples() const {
    std::lock_guard lock(mutex_);
    return audioSamples_;
}

std::size_t AudioProcessor::audioSampleCount() const {
    std::lock_guard lock(mutex_);
    return audioSamples_.size();
}

std::vector<AudioProcessor::EnergyRecord> AudioProcessor::audioEnergy() const {
    std::lock_guard lock(mutex_);
    return audioEnergy_;
}

std::vector<float> AudioProcessor::relativeEnergy() const {
    std::lock_guard lock(mutex_);
    std::vector<float> values;
    values.reserve(audioEnergy_.size());
    for (const EnergyRecord& record : audioEnergy_) values.push_back(record.rel);
    return values;
}

std::int64_t AudioProcessor::relativeEnergyWindow() const {
    std::lock_guard lock(mutex_);
    return relativeEnergyWindow_;
}

void AudioProcessor::setRelativeEnergyWindow(std::int64_t window) {
    std::lock_guard lock(mutex_);
    relativeEnergyWindow_ = std::max<std::int64_t>(window, 1);
}

std::int64_t AudioProcessor::minBufferLength() const {
    std::lock_guard lock(mutex_);
    return minBufferLength_;
}

void AudioProcessor::setMinBufferLength(std::int64_t length) {
    std::lock_guard lock(mutex_);
    minBufferLength_ = std::clamp<std::int64_t>(length, 1, std::numeric_limits<std::uint32_t>::max());
}

AudioProcessor::AudioBufferCallback AudioProcessor::audioBufferCallback() const {
    std::lock_guard lock(mutex_);
    return audioBufferCallback_;
}

void AudioProcessor::setAudioBufferCallback(AudioBufferCallback callback) {
    std::lock_guard lock(mutex_);
    audioBufferCallback_ = std::move(callback);
}

bool AudioProcessor::isInputSuppressed() const {
    std::lock_guard lock(mutex_);
    return isInputSuppressed_;
}

void AudioProcessor::setInputSuppressed(bool suppressed) {
    std::lock_guard lock(mutex_);
    isInputSuppressed_ = suppressed;
}

} // namespace hushframe
