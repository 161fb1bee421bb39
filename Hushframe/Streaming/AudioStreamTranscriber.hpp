#pragma once
// Live transcription: it records through an AudioProcessor and, while
// recording, re-transcribes the audio captured so far from the end of the
// last confirmed segment whenever more than a second of new audio has
// arrived (and, with the silence gate, when that audio holds voice). The
// trailing segments of each run stay unconfirmed, so the next run may still
// revise them; the others are final. Every assignment of the published state
// is reported with the state before and after.
//
// The state lives on the transcriber's own serial queue: its changes and the
// change callback run there, one at a time. The capture thread and the
// decoder's progress callback only queue their updates. Made shared (the
// callbacks hold it weakly).

#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/AudioEncoding.hpp"
#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "Hushframe/Core/FeatureExtracting.hpp"
#include "Hushframe/Core/Models/TranscriptionProgress.hpp"
#include "Hushframe/Core/Models/TranscriptionResult.hpp"
#include "Hushframe/Core/Models/TranscriptionSegment.hpp"
#include "Hushframe/Core/Models/WhisperTokenizer.hpp"
#include "Hushframe/Core/SegmentSeeking.hpp"
#include "Hushframe/Core/TextDecoding.hpp"
#include "Hushframe/Core/TranscribeTask.hpp"
#include "Platform/Concurrency/SerialQueue.hpp"
#include "Platform/Concurrency/Sleeper.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hushframe {

class AudioStreamTranscriber : public std::enable_shared_from_this<AudioStreamTranscriber> {
public:
    struct State {
        bool isRecording = false;
        // Fallback count reported by the latest progress.
        std::int64_t currentFallbacks = 0;
        // Captured samples at the start of the last run.
        std::int64_t lastBufferSize = 0;
        // Where the next run starts decoding.
        float lastConfirmedSegmentEndSeconds = 0;
        // The processor's relative energies, refreshed on every captured buffer.
        std::vector<float> bufferEnergy;
        // Partial text of the running decode, or "Waiting for speech...".
        std::string currentText;
        std::vector<TranscriptionSegment> confirmedSegments;
        std::vector<TranscriptionSegment> unconfirmedSegments;
        // Partial texts that a shorter one replaced during the current run.
        std::vector<std::string> unconfirmedText;

        bool operator==(const State&) const = default;
    };
    using StateChangeCallback = std::function<void(const State& oldState, const State& newState)>;
    using PermissionRequest = std::function<bool()>;

    static constexpr float sampleRate = 16000;
    static inline const std::string waitingText = "Waiting for speech...";

    // The five model components drive one transcription task, made here and
    // used for every run. Sleeps between polls go through `sleeper`.
    static std::shared_ptr<AudioStreamTranscriber>
    create(std::shared_ptr<AudioEncoding> audioEncoder, std::shared_ptr<FeatureExtracting> featureExtractor,
           std::shared_ptr<SegmentSeeking> segmentSeeker, std::shared_ptr<TextDecoding> textDecoder,
           std::shared_ptr<WhisperTokenizer> tokenizer, std::shared_ptr<AudioProcessor> audioProcessor,
           DecodingOptions decodingOptions, std::int64_t requiredSegmentsForConfirmation, float silenceThreshold,
           std::int64_t compressionCheckWindow, bool useVAD, StateChangeCallback stateChangeCallback,
           platform::Sleeper& sleeper,
           PermissionRequest requestRecordPermission = &AudioProcessor::requestRecordPermission);
    // The same around a transcription task of the caller's.
    static std::shared_ptr<AudioStreamTranscriber>
    create(std::unique_ptr<TranscribeTask> transcribeTask, std::shared_ptr<AudioProcessor> audioProcessor,
           DecodingOptions decodingOptions, std::int64_t requiredSegmentsForConfirmation, float silenceThreshold,
           std::int64_t compressionCheckWindow, bool useVAD, StateChangeCallback stateChangeCallback,
           platform::Sleeper& sleeper,
           PermissionRequest requestRecordPermission = &AudioProcessor::requestRecordPermission);

    // Starts capture and runs the transcription loop on the calling thread
    // until recording stops. Returns at once when already recording, and
    // without starting when permission is refused. Throws only what starting
    // the capture throws (recording then stays marked as on until stop).
    void startStreamTranscription();
    // Ends recording; the loop leaves after its current step.
    void stopStreamTranscription();

    State state() const;

    // The early-stop verdict for one progress report: false when its last
    // `compressionCheckWindow` tokens compress by more than the threshold
    // (an absent threshold counts as 0), or else when its average
    // log-probability is below the threshold; otherwise none.
    static std::optional<bool> shouldStopEarly(const TranscriptionProgress& progress, const DecodingOptions& options,
                                               std::int64_t compressionCheckWindow);

private:
    struct Key {};

public:
    AudioStreamTranscriber(Key, std::unique_ptr<TranscribeTask> transcribeTask,
                           std::shared_ptr<AudioProcessor> audioProcessor, DecodingOptions decodingOptions,
                           std::int64_t requiredSegmentsForConfirmation, float silenceThreshold,
                           std::int64_t compressionCheckWindow, bool useVAD, StateChangeCallback stateChangeCallback,
                           platform::Sleeper& sleeper, PermissionRequest requestRecordPermission);

private:
    void transcribeCurrentBuffer();
    std::shared_ptr<TranscriptionResult> transcribeAudioSamples(const std::vector<float>& samples);
    void confirm(const std::vector<TranscriptionSegment>& segments);
    void waitForSpeech();
    void onProgressCallback(const TranscriptionProgress& progress); // on the queue
    // One assignment of the state, on the queue, reported to the callback.
    void change(const std::function<void(State&)>& assignment);
    void changeOnQueue(const std::function<void(State&)>& assignment);

    State state_; // queue only
    const StateChangeCallback stateChangeCallback_;
    const std::int64_t requiredSegmentsForConfirmation_;
    const bool useVAD_;
    const float silenceThreshold_;
    const std::int64_t compressionCheckWindow_;
    const std::unique_ptr<TranscribeTask> transcribeTask_;
    const std::shared_ptr<AudioProcessor> audioProcessor_;
    const DecodingOptions decodingOptions_;
    platform::Sleeper& sleeper_;
    const PermissionRequest requestRecordPermission_;
    // Last, so it is destroyed first: the tasks it still runs find every other member.
    mutable platform::SerialQueue queue_;
};

} // namespace hushframe
