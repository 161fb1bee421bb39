#pragma once
// English live recognition with the Nemotron cache-aware streaming
// transducer: incoming buffers are resampled to 16 kHz mono and buffered,
// every full chunk runs through the preprocessor, the cache-aware encoder and
// a greedy transducer search, and the utterance's tokens become text at
// finish. The models need the neural engine; where the processor check says
// there is none, every load refuses with the platform message and decoding
// reports notInitialized.
//
// Operations are serialised on the object (one caller at a time, the partial
// callback may call back into it). A chunk changes the stream state only when
// it succeeds, so a failed chunk can be tried again from the same state.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronChunkSize.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronStreamingConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NeuralEngineCheck.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"
#include "RazeziRuzer/ASR/Parakeet/TokenTiming.hpp"
#include "RazeziRuzer/DownloadProgress.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace razeziruzer {

class StreamingNemotronAsrManager : public StreamingAsrManager {
public:
    using MLModel = platform::coreml::MLModel;
    using MLMultiArray = platform::coreml::MLMultiArray;
    using MLModelConfiguration = platform::coreml::MLModelConfiguration;

    // No configuration: CPU and neural engine, low-precision GPU accumulation allowed.
    explicit StreamingNemotronAsrManager(std::optional<MLModelConfiguration> configuration = std::nullopt,
                                         std::optional<NemotronChunkSize> requestedChunkSize = std::nullopt,
                                         NeuralEngineCheck neuralEngineCheck = hasNeuralEngine);

    std::string displayName() const override;
    NemotronStreamingConfig config() const;
    MLModelConfiguration mlConfiguration() const;

    void setPartialCallback(TranscriptCallback callback);
    void setPartialTranscriptCallback(TranscriptCallback callback) override { setPartialCallback(std::move(callback)); }

    // Loads a model folder, its settings from "metadata.json"; nothing is
    // installed unless every part loads. Without the neural engine it refuses
    // at once and reads nothing.
    void loadModels(const std::filesystem::path& from);
    // Finds the size's model folder under `to` (default: the user's data
    // folder + "RazeziRuzer/Models"), downloading it when its encoder is
    // missing, then loads it as above. A download failure is passed on.
    void loadModels(const std::optional<std::filesystem::path>& to,
                    const std::optional<MLModelConfiguration>& configuration,
                    const DownloadUtils::ProgressHandler& progressHandler);
    void loadModels() override { loadModels(std::nullopt, std::nullopt, {}); }

    void reset() override;
    void cleanup() noexcept override;
    void resetStates();

    void appendAudio(const platform::audio::PCMBuffer& buffer) override;
    std::string process(const platform::audio::PCMBuffer& audioBuffer);
    void processBufferedAudio() override;
    // Decodes every pending sample (the last chunk padded with zeros) and
    // closes the utterance; the stream state carries on.
    std::string finish() override;
    std::pair<std::string, std::vector<TokenTiming>> finishWithTokenTimings();

    std::string getPartialTranscript() const override;
    std::vector<TokenTiming> getTokenTimings() const;

    int processedChunks() const;
    std::size_t bufferedSampleCount() const;
    std::vector<TokenTiming> lastFinishTokenTimings() const;

    // The pipeline's array steps, exposed for their own tests.
    static MLMultiArray createAudioArray(std::span<const float> samples);
    static MLMultiArray prependMelCache(const MLMultiArray& mel, const std::optional<MLMultiArray>& melCache,
                                        const NemotronStreamingConfig& config);
    static MLMultiArray extractMelCache(const MLMultiArray& mel, const NemotronStreamingConfig& config);
    static MLMultiArray extractEncoderStep(const MLMultiArray& encoded, std::int64_t timeIndex);
    static MLMultiArray sliceDecoderOutput(const MLMultiArray& decoderOut);

private:
    struct Models {
        MLModel preprocessor;
        MLModel encoder;
        MLModel decoder;
        MLModel joint;
        std::optional<MLModel> decoderJoint;
    };

    struct StreamState {
        MLMultiArray cacheChannel;
        MLMultiArray cacheTime;
        MLMultiArray cacheLen;
        std::optional<MLMultiArray> melCache;
        MLMultiArray hState;
        MLMultiArray cState;
        std::int32_t lastToken = 0;
    };

    // Zero caches and states for a stream; throws when the settings cannot make them.
    static StreamState initialState(const NemotronStreamingConfig& config);
    void refuseWithoutNeuralEngine() const;
    void loadFolder(const std::filesystem::path& folder);
    void requireModels(bool needsTokenizer) const;
    void resetUtterance();
    void decodeWholeChunks();
    void processChunk(std::span<const float> samples);
    void emitPartial() const;

    mutable std::recursive_mutex mutex_;
    AppLogger logger_{"NemotronStreaming"};
    std::optional<Models> models_;
    AudioConverter audioConverter_{16000.0};
    std::shared_ptr<const Tokenizer> tokenizer_;
    NemotronStreamingConfig config_;
    std::vector<float> audioBuffer_;
    std::vector<std::int64_t> accumulatedTokenIds_;
    std::vector<TokenTiming> accumulatedTokenTimings_;
    std::int64_t absoluteFrameBase_ = 0;
    std::vector<TokenTiming> lastFinishTokenTimings_;
    std::optional<StreamState> state_;
    TranscriptCallback partialCallback_;
    std::optional<NemotronChunkSize> requestedChunkSize_;
    int processedChunks_ = 0;
    MLModelConfiguration mlConfiguration_;
    NeuralEngineCheck neuralEngineCheck_;
};

} // namespace razeziruzer
