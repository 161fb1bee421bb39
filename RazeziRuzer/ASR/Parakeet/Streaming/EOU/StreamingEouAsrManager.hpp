#pragma once
// Live English recognition with the end-of-utterance streaming model: audio is
// resampled and buffered, cut into fixed overlapping chunks, each chunk's
// log-mels run through the cache-aware streaming encoder and the RNN-T
// decoder, and a growing transcript goes to the partial callback. When the
// model keeps signalling end of utterance for the debounce time, the end is
// confirmed once per stream, timed, and handed to the end-of-utterance
// callback.
//
// Operations are serialised on the object (callbacks may call back into it).
// A chunk changes the stream state only when it succeeds, so a failed chunk
// is tried again from the same caches.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/RnntDecoder.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/EOU/StreamingChunkSize.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"
#include "RazeziRuzer/DownloadProgress.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/AudioConverter.hpp"
#include "RazeziRuzer/Shared/AudioMelSpectrogram.hpp"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer {

class StreamingEouAsrManager : public StreamingAsrManager,
                               public StreamingAsrTokenTimestampProvider,
                               public StreamingAsrRawTokenProvider,
                               public StreamingAsrEouProvider {
public:
    using MLModel = platform::coreml::MLModel;
    using MLMultiArray = platform::coreml::MLMultiArray;
    using MLModelConfiguration = platform::coreml::MLModelConfiguration;

    StreamingEouAsrManager(MLModelConfiguration configuration = {},
                           StreamingChunkSize chunkSize = StreamingChunkSize::ms160, std::int64_t eouDebounceMs = 1280,
                           bool debugFeatures = false);

    std::string displayName() const override;
    StreamingChunkSize chunkSize() const { return chunkSize_; }
    bool debugFeatures() const { return debugFeatures_; }
    MLModelConfiguration configuration() const;
    bool eouDetected() const;
    std::int64_t eouDebounceMs() const;
    void setEouDebounceMs(std::int64_t milliseconds);

    // Finds the build's folder under `to` (default: the user's data folder +
    // "RazeziRuzer/Models/parakeet-eou-streaming"), downloading it unless
    // every required file is there, then loads it.
    void loadModels(const std::optional<std::filesystem::path>& to,
                    const std::optional<MLModelConfiguration>& configuration,
                    const DownloadUtils::ProgressHandler& progressHandler);
    void loadModels(const std::filesystem::path& from);
    void loadModels() override { loadModels(std::nullopt, std::nullopt, {}); }

    void appendAudio(const platform::audio::PCMBuffer& buffer) override;
    void processBufferedAudio() override;
    std::string process(const platform::audio::PCMBuffer& audioBuffer);
    // Appends silence; throws std::invalid_argument for a negative or
    // non-finite duration.
    void injectSilence(double seconds);
    // Decodes every pending sample (the last chunk padded with zeros) and
    // hands out the transcript; the stream position carries on.
    std::string finish() override;
    void reset() override;
    void cleanup() noexcept override;

    void setEouCallback(TranscriptCallback callback);
    void setPartialCallback(TranscriptCallback callback);
    void setPartialTranscriptCallback(TranscriptCallback callback) override { setPartialCallback(std::move(callback)); }

    std::string getPartialTranscript() const override;
    std::vector<std::int64_t> getTokenTimestampsMs() const override;
    std::vector<std::string> getRawTokenStrings() const override;
    std::vector<std::int64_t> getEouTimestampsMs() const override;
    void saveDebugFeatures(const std::filesystem::path& to) const;

    int processedChunks() const;
    std::size_t bufferedSampleCount() const;
    std::int64_t totalSamplesProcessed() const;
    bool hasEncoderCaches() const;

private:
    struct Caches {
        MLMultiArray preCache;
        MLMultiArray channel;
        MLMultiArray time;
        MLMultiArray channelLen;
    };

    void resetStates();
    void processChunk(std::span<const float> samples);
    void debounce(const RnntDecoder::DecodeResult& result);

    mutable std::recursive_mutex mutex_;
    AppLogger logger_{"StreamingEOU"};
    int processedChunks_ = 0;
    std::optional<MLModel> streamingEncoder_, decoder_, joint_;
    std::unique_ptr<RnntDecoder> rnntDecoder_;
    AudioConverter audioConverter_{16000.0};
    std::shared_ptr<const Tokenizer> tokenizer_;
    AudioMelSpectrogram melProcessor_;
    StreamingChunkSize chunkSize_;
    std::vector<float> audioBuffer_;
    std::vector<std::int64_t> accumulatedTokenIds_;
    std::vector<std::int64_t> accumulatedTokenTimestampsMs_;
    std::vector<std::string> accumulatedRawTokenStrings_;
    std::vector<std::int64_t> accumulatedEouTimestampsMs_;
    bool eouDetected_ = false;
    TranscriptCallback eouCallback_;
    TranscriptCallback partialCallback_;
    std::int64_t eouDebounceMs_;
    std::optional<std::int64_t> eouFirstDetectedAt_;
    std::int64_t totalSamplesProcessed_ = 0;
    MLModelConfiguration configuration_;
    bool debugFeatures_;
    std::vector<float> debugFeatureBuffer_;
    std::optional<Caches> caches_;
};

} // namespace razeziruzer
