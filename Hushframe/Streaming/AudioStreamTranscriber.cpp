#include "Hushframe/Streaming/AudioStreamTranscriber.hpp"

#include "Hushframe/Audio/AudioEnergy.hpp"
#include "Hushframe/Core/Progress.hpp"
#include "Hushframe/Decoding/TextUtilities.hpp"
#include "Hushframe/Decoding/WindowTranscribeTask.hpp"
#include "PelluxCore/Logging.hpp"
#include "Platform/Text/Characters.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace hushframe {

using pelluxcore::Logging;

namespace {

constexpr std::chrono::milliseconds pollInterval{100};

} // namespace

std::shared_ptr<AudioStreamTranscriber> AudioStreamTranscriber::create(
    std::shared_ptr<AudioEncoding> audioEncoder, std::shared_ptr<FeatureExtracting> featureExtractor,
    std::shared_ptr<SegmentSeeking> segmentSeeker, std::shared_ptr<TextDecoding> textDecoder,
    std::shared_ptr<WhisperTokenizer> tokenizer, std::shared_ptr<AudioProcessor> audioProcessor,
    DecodingOptions decodingOptions, std::int64_t requiredSegmentsForConfirmation, float silenceThreshold,
    std::int64_t compressionCheckWindow, bool useVAD, StateChangeCallback stateChangeCallback,
    platform::Sleeper& sleeper, PermissionRequest requestRecordPermission) {
    auto task = std::make_unique<WindowTranscribeTask>(TranscriptionTimings{}, std::make_shared<Progress>(),
                                                       audioProcessor, std::move(audioEncoder),
                                                       std::move(featureExtractor), std::move(segmentSeeker),
                                                       std::move(textDecoder), std::move(tokenizer));
    return create(std::move(task), std::move(audioProcessor), std::move(decodingOptions),
                  requiredSegmentsForConfirmation, silenceThreshold, compressionCheckWindow, useVAD,
                  std::move(stateChangeCallback), sleeper, std::move(requestRecordPermission));
}

std::shared_ptr<AudioStreamTranscriber> AudioStreamTranscriber::create(
    std::unique_ptr<TranscribeTask> transcribeTask, std::shared_ptr<AudioProcessor> audioProcessor,
    DecodingOptions decodingOptions, std::int64_t requiredSegmentsForConfirmation, float silenceThreshold,
    std::int64_t compressionCheckWindow, bool useVAD, StateChangeCallback stateChangeCallback,
    platform::Sleeper& sleeper, PermissionRequest requestRecordPermission) {
    return std::make_shared<AudioStreamTranscriber>(
        Key{}, std::move(transcribeTask), std::move(audioProcessor), std::move(decodingOptions),
        requiredSegmentsForConfirmation, silenceThreshold, compressionCheckWindow, useVAD,
        std::move(stateChangeCallback), sleeper, std::move(requestRecordPermission));
}

AudioStreamTranscriber::AudioStreamTranscriber(Key, std::unique_ptr<TranscribeTask> transcribeTask,
                                               std::shared_ptr<AudioProcessor> audioProcessor,
                                               DecodingOptions decodingOptions,
                                               std::int64_t requiredSegmentsForConfirmation, float silenceThreshold,
                                               std::int64_t compressionCheckWindow, bool useVAD,
                                               StateChangeCallback stateChangeCallback, platform::Sleeper& sleeper,
                                               PermissionRequest requestRecordPermission)
    : stateChangeCallback_(std::move(stateChangeCallback)),
      requiredSegmentsForConfirmation_(requiredSegmentsForConfirmation),
      useVAD_(useVAD),
      silenceThreshold_(silenceThreshold),
      compressionCheckWindow_(compressionCheckWindow),
      transcribeTask_(std::move(transcribeTask)),
      audioProcessor_(std::move(audioProcessor)),
      decodingOptions_(std::move(decodingOptions)),
      sleeper_(sleeper),
      requestRecordPermission_(std::move(requestRecordPermission)) {}

AudioStreamTranscriber::State AudioStreamTranscriber::state() const {
    return queue_.sync([this] { return state_; });
}

void AudioStreamTranscriber::change(const std::function<void(State&)>& assignment) {
    queue_.sync([&] { changeOnQueue(assignment); });
}

void AudioStreamTranscriber::changeOnQueue(const std::function<void(State&)>& assignment) {
    const State old = state_;
    assignment(state_);
    if (stateChangeCallback_) stateChangeCallback_(old, state_);
}

void AudioStreamTranscriber::startStreamTranscription() {
    const auto keepAlive = shared_from_this();
    if (state().isRecording) return;
    if (requestRecordPermission_ && !requestRecordPermission_()) {
        Logging::error("Microphone access was not granted.");
        return;
    }
    change([](State& state) { state.isRecording = true; });

    audioProcessor_->startRecordingLive(std::nullopt, [weak = weak_from_this()](const std::vector<float>&) {
        const auto self = weak.lock();
        if (!self) return;
        // The capture thread only queues the refresh; it never waits for the state.
        self->queue_.async([raw = self.get()] {
            auto energy = raw->audioProcessor_->relativeEnergy();
            raw->changeOnQueue([&](State& state) { state.bufferEnergy = std::move(energy); });
        });
    });
    Logging::info("Realtime transcription has started");

    while (state().isRecording) {
        try {
            transcribeCurrentBuffer();
        } catch (const std::exception& error) {
            Logging::error(std::string("Error: ") + error.what());
            break;
        }
    }
}

void AudioStreamTranscriber::stopStreamTranscription() {
    change([](State& state) { state.isRecording = false; });
    audioProcessor_->stopRecording();
    Logging::info("Realtime transcription has ended");
}

void AudioStreamTranscriber::waitForSpeech() {
    if (state().currentText.empty()) change([](State& state) { state.currentText = waitingText; });
    sleeper_.sleepFor(pollInterval);
}

void AudioStreamTranscriber::transcribeCurrentBuffer() {
    const auto captured = static_cast<std::int64_t>(audioProcessor_->audioSampleCount());
    const std::int64_t newSamples = captured - state().lastBufferSize;
    const float newSeconds = static_cast<float>(newSamples) / sampleRate;
    if (!(newSeconds > 1)) {
        waitForSpeech();
        return;
    }
    if (useVAD_ && !AudioEnergy::isVoiceDetected(audioProcessor_->relativeEnergy(), newSeconds, silenceThreshold_)) {
        Logging::debug("No voice detected, skipping transcribe");
        waitForSpeech();
        return;
    }

    const std::vector<float> samples = audioProcessor_->audioSamples();
    change([&](State& state) { state.lastBufferSize = static_cast<std::int64_t>(samples.size()); });
    const auto result = transcribeAudioSamples(samples);
    change([](State& state) { state.currentText.clear(); });
    change([](State& state) { state.unconfirmedText.clear(); });
    confirm(result->segments());
}

void AudioStreamTranscriber::confirm(const std::vector<TranscriptionSegment>& segments) {
    const auto kept = static_cast<std::size_t>(std::max<std::int64_t>(requiredSegmentsForConfirmation_, 0));
    if (segments.size() <= kept) {
        change([&](State& state) { state.unconfirmedSegments = segments; });
        return;
    }
    const auto split = segments.begin() + static_cast<std::ptrdiff_t>(segments.size() - kept);
    const std::vector<TranscriptionSegment> candidates(segments.begin(), split);
    const std::vector<TranscriptionSegment> remaining(split, segments.end());
    const float lastEnd = candidates.back().end;
    if (lastEnd > state().lastConfirmedSegmentEndSeconds) {
        change([&](State& state) { state.lastConfirmedSegmentEndSeconds = lastEnd; });
        const auto confirmed = state().confirmedSegments;
        if (std::search(confirmed.begin(), confirmed.end(), candidates.begin(), candidates.end()) == confirmed.end()) {
            change([&](State& state) {
                state.confirmedSegments.insert(state.confirmedSegments.end(), candidates.begin(), candidates.end());
            });
        }
    }
    change([&](State& state) { state.unconfirmedSegments = remaining; });
}

std::shared_ptr<TranscriptionResult> AudioStreamTranscriber::transcribeAudioSamples(const std::vector<float>& samples) {
    DecodingOptions options = decodingOptions_;
    // Segment times count from the first captured sample, so the end of the
    // last confirmed segment is where this run starts.
    options.clipTimestamps = {state().lastConfirmedSegmentEndSeconds};
    const std::int64_t window = compressionCheckWindow_;
    const TranscriptionCallback callback = [weak = weak_from_this(), options,
                                            window](const TranscriptionProgress& progress) -> std::optional<bool> {
        if (const auto self = weak.lock()) {
            self->queue_.async([raw = self.get(), progress] { raw->onProgressCallback(progress); });
        }
        return shouldStopEarly(progress, options, window);
    };
    return transcribeTask_->run(samples, options, callback);
}

std::optional<bool> AudioStreamTranscriber::shouldStopEarly(const TranscriptionProgress& progress,
                                                            const DecodingOptions& options,
                                                            std::int64_t compressionCheckWindow) {
    if (compressionCheckWindow > 0 && progress.tokens.size() > static_cast<std::uint64_t>(compressionCheckWindow)) {
        const std::span<const int> recent =
            std::span<const int>(progress.tokens).last(static_cast<std::size_t>(compressionCheckWindow));
        if (TextUtilities::compressionRatio(recent) > options.compressionRatioThreshold.value_or(0.0F)) return false;
    }
    if (progress.avgLogprob && options.logProbThreshold && *progress.avgLogprob < *options.logProbThreshold) {
        return false;
    }
    return std::nullopt;
}

void AudioStreamTranscriber::onProgressCallback(const TranscriptionProgress& progress) {
    const auto fallbacks = static_cast<std::int64_t>(progress.timings.totalDecodingFallbacks);
    // The waiting notice is no decoded text: it is never kept as one.
    if (state_.currentText != waitingText &&
        platform::text::characterCount(progress.text) < platform::text::characterCount(state_.currentText)) {
        if (fallbacks == state_.currentFallbacks) {
            changeOnQueue([&](State& state) { state.unconfirmedText.push_back(state.currentText); });
        } else {
            Logging::info("Fallback occured: " + std::to_string(fallbacks));
        }
    }
    changeOnQueue([&](State& state) { state.currentText = progress.text; });
    changeOnQueue([&](State& state) { state.currentFallbacks = fallbacks; });
}

} // namespace hushframe
