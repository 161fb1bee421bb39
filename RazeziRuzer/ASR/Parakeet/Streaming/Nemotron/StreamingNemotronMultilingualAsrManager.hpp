#pragma once
// Multilingual live recognition with the Nemotron cache-aware streaming
// transducer. Audio is cut into chunks; each chunk runs through the
// preprocessor (with mel frames carried from the previous chunk), the encoder
// (prompted with the chosen language, caches carried) and a greedy transducer
// decode through whichever arrangement the model set offers: the fused
// decoder-joint over the encoder projection, the fused arg-max model, the
// fused decoder-joint, or the separate decoder and joint; a batched joint lets
// runs of blank frames be skipped a window at a time. Language-tag tokens
// report the detected language; a forced tag can seed the decoder.
//
// Operations are serialised on the object (the partial callback may call back
// into it). A chunk changes the stream only when it succeeds: a failed chunk
// leaves every cache, buffer and token list as it was, so it can be retried.
// While a chunk is decoded the next chunk's preprocessor and encoder run ahead
// on another thread from values captured at their start.

#include "Platform/Audio/PCMBuffer.hpp"
#include "Platform/Concurrency/Clock.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualSwitches.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/SharedNemotronMultilingualModels.hpp"
#include "RazeziRuzer/ASR/Parakeet/TokenTiming.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace razeziruzer {

// What the recogniser reads from outside: the environment switches, the
// neural-engine check and the clock of its time counters.
struct NemotronMultilingualDependencies {
    EnvironmentLookup environment = processEnvironment();
    NeuralEngineCheck neuralEngineCheck = hasNeuralEngine;
    const platform::Clock* clock = nullptr;  // the system clock when null
};

class StreamingNemotronMultilingualAsrManager {
public:
    using MLModel = platform::coreml::MLModel;
    using MLMultiArray = platform::coreml::MLMultiArray;
    using MLPredictionOptions = platform::coreml::MLPredictionOptions;
    using PartialCallback = std::function<void(const std::string& transcript)>;

    using Dependencies = NemotronMultilingualDependencies;

    struct Counters {
        std::uint64_t prepNanos = 0;
        std::uint64_t encNanos = 0;
        std::uint64_t decNanos = 0;
        std::int64_t chunkCount = 0;
        std::int64_t vadSkipCount = 0;
        std::int64_t specWindowsTotal = 0;
        std::int64_t specWindowsAllBlank = 0;
        std::int64_t specWindowsHitNonBlank = 0;
    };

    struct DecodeStats {
        std::int64_t tokenCount = 0;
        std::optional<std::string> detectedLanguage;
        std::int64_t processedChunks = 0;
    };

    // The voice-activity threshold and hangover are read from the environment here, once.
    explicit StreamingNemotronMultilingualAsrManager(
        std::optional<platform::coreml::MLModelConfiguration> configuration = std::nullopt,
        Dependencies dependencies = {});

    void setPartialCallback(PartialCallback callback);
    // Chooses the encoder prompt for the code (absent: the default) and, with
    // the forced prefix on, seeds the decoder with the code's tag; seeding
    // failures are only logged.
    void setLanguage(const std::optional<std::string>& languageCode);
    void setForcedPrefix(bool enabled);
    bool forcedPrefixEnabled() const;
    // Throws ASRError.processingFailed for an id outside the 32-bit range.
    void setPromptId(std::int64_t promptId);
    std::int64_t promptId() const;
    std::optional<std::string> detectedLanguage() const;

    // Without the neural engine refuses at once and changes nothing.
    void loadModels(const std::filesystem::path& variantFolder);
    // Installs the set with fresh caches, decoder state, output buffers and
    // step arrays. Throws ASRError.processingFailed before changing anything
    // when the blank or default prompt id does not fit 32 bits.
    void loadFromShared(const SharedNemotronMultilingualModels& models);

    void reset();
    void cleanup();
    void resetStates();

    void appendAudio(const platform::audio::PCMBuffer& buffer);
    std::string process(const platform::audio::PCMBuffer& audioBuffer);
    // Decodes every complete chunk; returns the empty string.
    std::string process(std::span<const float> samples);
    // Decodes every pending sample (the last chunk padded with zeros) and
    // returns the transcript since the last finish; the stream carries on.
    std::string finish();
    std::pair<std::string, std::vector<TokenTiming>> finishWithTokenTimings();
    DecodeStats lastDecodeStats() const;
    std::string getPartialTranscript();
    std::vector<TokenTiming> getTokenTimings() const;

    NemotronMultilingualStreamingConfig config() const;
    bool appendTerminalPunctuation() const;
    void setAppendTerminalPunctuation(bool append);
    Counters counters() const;
    std::int64_t processedChunks() const;
    std::int64_t absoluteFrameBase() const;
    std::int64_t jointNoEncProjBatchedK() const;
    std::int32_t lastToken() const;
    std::size_t pendingSampleCount() const;

    // Trimmed, first letter upper-cased, "." (or "。" for zh and ja) added
    // unless it already ends in sentence punctuation.
    static std::string tidyTerminalPunctuation(const std::string& text, const std::optional<std::string>& language);
    // Preallocated backings for every fixed-shape output that is not fed back.
    static std::optional<MLPredictionOptions> makePredictionOptions(const std::optional<MLModel>& model);

private:
    struct Models {
        std::optional<MLModel> preprocessor, encoder, decoder, joint, decoderJoint, decoderJointArgmax,
            decoderJointNoEncProj, jointNoEncProjBatched;
        bool hasDecodePath() const;
    };
    struct Options {
        std::optional<MLPredictionOptions> encoder, decoder, joint, decoderJoint, decoderJointArgmax,
            decoderJointNoEncProj, jointNoEncProjBatched;
    };
    struct StepBuffers {
        std::optional<MLMultiArray> encoderStep, encoderProjStep, tokenInput, tokenLength, encProjBatch;
    };
    // What a chunk carries to the next one; replaced whole when a chunk succeeds.
    struct StreamState {
        std::optional<MLMultiArray> cacheChannel, cacheTime, cacheLen, melCache, hState, cState;
        std::optional<MLMultiArray> prefetchedEncoded, prefetchedEncoderProj;
        std::int32_t lastToken = 0;
    };
    // The decoder's walk through one chunk.
    struct DecodeState {
        std::int32_t token = 0;
        MLMultiArray h, c;
        std::vector<std::int64_t> newTokens;
        std::vector<TokenTiming> newTimings;
        std::optional<std::string> language;
        std::int64_t frameBase = 0;
    };
    struct StepResult {
        std::int64_t token = 0;
        MLMultiArray h, c;
    };
    enum class StepCaller { frameLoop, drain };
    struct EncoderOutputs {
        MLMultiArray encoded;
        std::optional<MLMultiArray> encoderProj;
    };
    struct Prefetched;

    // Lifecycle and chunking.
    void requireModels(bool needsTokenizer) const;
    void applyForcedPrefixIfNeeded();
    void seedForcedPrefixLogged();
    void decodeWholeChunks();
    std::int64_t chunkLength() const;

    // Pipeline.
    void processChunk(std::span<const float> samples, std::optional<std::vector<float>> nextChunk);
    bool passesVoiceGate(std::span<const float> samples);
    EncoderOutputs encodeChunk(std::span<const float> samples, StreamState& stream);
    Prefetched prefetch(std::optional<std::vector<float>> next, const StreamState& stream) const;
    std::uint64_t nowNanos() const;

    // Decode.
    void decodeFrames(const EncoderOutputs& outputs, std::int64_t frames, DecodeState& state);
    void speculativeDecode(const EncoderOutputs& outputs, std::int64_t frames, const MLModel& decoder,
                           const MLModel& jointBatched, DecodeState& state);
    StepResult runStep(const DecodeState& state, const MLMultiArray& encoderStep,
                       const std::optional<MLMultiArray>& encoderProjStep, StepCaller caller,
                       const std::optional<MLModel>& drainDecoder);
    MLMultiArray encoderStepFor(const MLMultiArray& encoded, std::int64_t frame);
    std::optional<MLMultiArray> encoderProjStepFor(const std::optional<MLMultiArray>& encoderProj, std::int64_t frame);
    std::pair<MLMultiArray, MLMultiArray> tokenInputs(std::int32_t token, bool freshArrays);
    void emit(DecodeState& state, std::int64_t token, std::int64_t frameInChunk) const;
    std::int64_t drainUntilBlank(DecodeState& state, const MLMultiArray& encoded,
                                 const std::optional<MLMultiArray>& encoderProj, std::int64_t frame, int limit,
                                 StepCaller caller, const std::optional<MLModel>& drainDecoder);

    mutable std::recursive_mutex mutex_;
    AppLogger logger_{"NemotronMultilingualStreaming"};
    Dependencies dependencies_;
    float vadRmsThreshold_ = 0;
    std::int64_t vadHangoverChunks_ = 2;

    Models models_;
    Options options_;
    StepBuffers buffers_;
    std::int64_t jointNoEncProjBatchedK_ = 8;
    AudioConverter audioConverter_{16000.0};
    std::shared_ptr<const NemotronMultilingualTokenizer> tokenizer_;
    NemotronMultilingualStreamingConfig config_;
    bool appendTerminalPunctuation_ = false;

    std::vector<float> audioBuffer_;
    std::size_t audioBufferOffset_ = 0;
    std::vector<std::int64_t> accumulatedTokenIds_;
    std::vector<TokenTiming> accumulatedTokenTimings_;
    std::int64_t absoluteFrameBase_ = 0;
    std::vector<TokenTiming> lastFinishTokenTimings_;
    std::optional<std::string> firstDetectedLanguage_;
    StreamState stream_;
    std::optional<platform::coreml::MLState> encoderState_;
    Counters counters_;
    std::int64_t vadConsecutiveLowChunks_ = 0;
    std::int32_t currentPromptId_ = 0;
    std::optional<std::string> currentLanguageCode_;
    bool useForcedPrefix_ = false;
    PartialCallback partialCallback_;
    std::int64_t processedChunks_ = 0;
    DecodeStats lastFinish_;
    platform::coreml::MLModelConfiguration mlConfiguration_;
};

} // namespace razeziruzer
