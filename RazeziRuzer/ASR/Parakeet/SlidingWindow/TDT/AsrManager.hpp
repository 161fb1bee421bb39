#pragma once
// The Parakeet TDT batch recogniser: holds a configuration and one installed
// model set with its vocabulary, and turns audio (a PCM buffer, float samples
// at the configured rate, or a file) into an ASRResult. Audio of up to one
// 240,000-sample window runs through one preprocessor, encoder and decoder
// pass; longer audio goes to the chunking service, and long files are
// streamed into a disk-backed source first. A pass feeds the whole window to
// models that declare fixed shapes; where the preprocessor's "audio_signal"
// or the encoder's "mel" declares flexible lengths, it feeds the shortest
// admitted length that holds the audio, and the models' masking by length
// keeps the result that of the whole window.
//
// Operations may be called from several threads. Installing or dropping
// models is atomic, and every pass works on the model set it started with, so
// a swap during a transcription affects only later transcriptions.

#include "Platform/Audio/PCMBuffer.hpp"
#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRResult.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtHypothesis.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/TokenPostProcessing.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/AudioConverter.hpp"
#include "RazeziRuzer/Shared/AudioSampleSource.hpp"
#include "RazeziRuzer/Shared/Language.hpp"
#include "RazeziRuzer/Shared/ProgressEmitter.hpp"

#include <chrono>
#include <filesystem>
#include <map>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

namespace razeziruzer {

class AsrManager {
public:
    using MLModel = platform::coreml::MLModel;
    using MLMultiArray = platform::coreml::MLMultiArray;
    using MLFeatureProvider = platform::coreml::MLFeatureProvider;
    using MLDictionaryFeatureProvider = platform::coreml::MLDictionaryFeatureProvider;
    using ProgressHandler = std::function<void(double)>;

    // What one window pass yields: the decoder's hypothesis and the encoder's
    // count of valid frames.
    struct PassResult {
        TdtHypothesis hypothesis;
        int encoderSequenceLength = 0;
    };

    // Starts, without waiting, the pre-allocation of the pass arrays in the
    // shared array cache and a first progress session.
    explicit AsrManager(ASRConfig config = ASRConfig::default_(), std::optional<AsrModels> models = std::nullopt);
    AsrManager(const AsrManager&) = delete;
    AsrManager& operator=(const AsrManager&) = delete;

    const AppLogger& logger() const { return logger_; }
    const ASRConfig& config() const { return config_; }

    std::optional<MLModel> preprocessorModel() const;
    void setPreprocessorModel(std::optional<MLModel> model);
    std::optional<MLModel> encoderModel() const;
    void setEncoderModel(std::optional<MLModel> model);
    std::optional<MLModel> decoderModel() const;
    void setDecoderModel(std::optional<MLModel> model);
    std::optional<MLModel> jointModel() const;
    void setJointModel(std::optional<MLModel> model);
    std::optional<AsrModels> asrModels() const;
    void setAsrModels(std::optional<AsrModels> models);
    Vocabulary vocabulary() const;
    void setVocabulary(Vocabulary vocabulary);
    platform::coreml::MLPredictionOptions predictionOptions() const;
    void setPredictionOptions(platform::coreml::MLPredictionOptions options);

    // LSTM layers of the installed version; 2 when none is installed.
    int decoderLayerCount() const;
    std::optional<AsrModelVersion> modelVersion() const;
    std::int64_t parallelChunkConcurrency() const { return config_.parallelChunkConcurrency(); }
    bool melChunkContext() const { return config_.melChunkContext(); }
    bool dualDecodeArbitration() const { return config_.dualDecodeArbitration(); }

    // A recogniser with the same configuration and model set; none without models.
    std::unique_ptr<AsrManager> makeWorkerClone() const;
    ProgressStream transcriptionProgressStream();
    bool isAvailable() const;

    void loadModels(const AsrModels& models);
    // Empties the shared array cache in the background; nothing else changes.
    void reset();
    // Drops the model set; vocabulary and prediction options stay.
    void cleanup();

    ASRResult transcribe(const platform::audio::PCMBuffer& buffer, TdtDecoderState& decoderState,
                         std::optional<Language> language = std::nullopt, std::stop_token stop = {});
    ASRResult transcribe(const std::filesystem::path& url, TdtDecoderState& decoderState,
                         std::optional<Language> language = std::nullopt, std::stop_token stop = {});
    ASRResult transcribe(std::span<const float> samples, TdtDecoderState& decoderState,
                         std::optional<Language> language = std::nullopt, std::stop_token stop = {});
    // The decoder state is accepted and left untouched: chunks decode with their own.
    ASRResult transcribeDiskBacked(const std::filesystem::path& url, TdtDecoderState& decoderState,
                                   std::optional<Language> language = std::nullopt, std::stop_token stop = {});

    // One window or, above 240,000 samples, the chunking service.
    ASRResult transcribeWithState(std::span<const float> samples, TdtDecoderState& decoderState,
                                  std::optional<Language> language = std::nullopt, std::stop_token stop = {});

    struct AlignedAudio {
        std::vector<float> samples;
        int frameAlignedLength = 0;
    };
    // Zeros up to the next whole encoder frame, unless that passes the window.
    static AlignedAudio frameAlignedAudio(std::span<const float> samples, bool allowAlignment);

    PassResult executeMLInferenceWithTimings(std::span<const float> samples, std::optional<int> originalLength,
                                             std::optional<int> actualAudioFrames, TdtDecoderState& decoderState,
                                             int contextFrameAdjustment = 0, bool isLastChunk = false,
                                             int globalFrameOffset = 0, std::optional<Language> language = std::nullopt,
                                             std::optional<int> emitTokensAfterGlobalFrame = std::nullopt,
                                             std::optional<int> initialTimeIndexOverride = std::nullopt,
                                             std::stop_token stop = {});
    // "audio_signal" (from the shared array cache; give it back when done) and "audio_length".
    MLDictionaryFeatureProvider preparePreprocessorInput(std::span<const float> samples,
                                                         std::optional<int> actualLength);
    TdtHypothesis tdtDecodeWithTimings(const MLMultiArray& encoderOutput, int encoderSequenceLength,
                                       int actualAudioFrames, std::span<const float> originalAudioSamples,
                                       TdtDecoderState& decoderState, int contextFrameAdjustment, bool isLastChunk,
                                       int globalFrameOffset, std::optional<Language> language,
                                       std::optional<int> emitTokensAfterGlobalFrame,
                                       std::optional<int> initialTimeIndexOverride, std::stop_token stop = {});

    static MLMultiArray createScalarArray(std::int64_t value, const std::vector<std::int64_t>& shape,
                                          platform::coreml::MLMultiArrayDataType dataType);
    static MLMultiArray extractFeatureValue(const MLFeatureProvider& from, const std::string& key,
                                            const std::string& errorMessage);
    struct FeatureKey {
        std::string key;
        std::string errorSuffix;
    };
    static std::map<std::string, MLMultiArray> extractFeatureValues(const MLFeatureProvider& from,
                                                                    const std::vector<FeatureKey>& keys);

    static std::string normalizedTimingToken(std::string_view token);
    std::string convertTokensToText(const std::vector<int>& tokenIds) const;
    float calculateConfidence(int tokenCount, bool isEmpty, const std::vector<float>& tokenConfidences) const;
    std::vector<TokenTiming> createTokenTimings(const std::vector<int>& from, const std::vector<int>& timestamps,
                                                const std::vector<float>& confidences,
                                                const std::vector<int>& tokenDurations) const;
    TokenPostProcessing::DeduplicationResult removeDuplicateTokenSequence(const std::vector<int>& previous,
                                                                         const std::vector<int>& current,
                                                                         int maxOverlap) const;

private:
    // The installed models and vocabulary as one pass sees them.
    struct Installed {
        std::optional<MLModel> preprocessor;
        std::optional<MLModel> encoder;
        std::optional<MLModel> decoder;
        std::optional<MLModel> joint;
        std::optional<AsrModels> models;
        std::shared_ptr<const Vocabulary> vocabulary = std::make_shared<const Vocabulary>();
        std::optional<platform::coreml::MLPredictionOptions> predictionOptions;

        bool isAvailable() const;
    };

    Installed snapshot() const;
    void install(const AsrModels& models);
    ProgressHandler progressForwarder() const;
    ASRResult transcribeSamples(std::span<const float> samples, TdtDecoderState& decoderState,
                                std::optional<Language> language, std::stop_token stop);
    ASRResult transcribeLongAudio(std::shared_ptr<const AudioSampleSource> source, std::optional<Language> language,
                                  std::chrono::system_clock::time_point startTime, std::stop_token stop);
    PassResult runPass(const Installed& installed, std::span<const float> samples, std::optional<int> originalLength,
                       std::optional<int> actualAudioFrames, TdtDecoderState& decoderState,
                       int contextFrameAdjustment, bool isLastChunk, int globalFrameOffset,
                       std::optional<Language> language, std::optional<int> emitTokensAfterGlobalFrame,
                       std::optional<int> initialTimeIndexOverride, const std::stop_token& stop);
    TdtHypothesis decode(const Installed& installed, const MLMultiArray& encoderOutput, int encoderSequenceLength,
                         int actualAudioFrames, TdtDecoderState& decoderState, int contextFrameAdjustment,
                         bool isLastChunk, int globalFrameOffset, std::optional<Language> language,
                         std::optional<int> emitTokensAfterGlobalFrame, std::optional<int> initialTimeIndexOverride,
                         const std::stop_token& stop) const;
    MLDictionaryFeatureProvider prepareEncoderInput(const MLModel& encoder, const MLFeatureProvider& preprocessorOutput,
                                                    const MLFeatureProvider& originalInput) const;

    AppLogger logger_{"ASR"};
    const ASRConfig config_;
    AudioConverter audioConverter_;
    std::shared_ptr<ProgressEmitter> progressEmitter_ = std::make_shared<ProgressEmitter>();
    mutable std::mutex mutex_;
    mutable Installed installed_;
};

} // namespace razeziruzer
