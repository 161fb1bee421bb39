#pragma once
// The speech package's voice-activity detector: one recurrent model run over
// 16 kHz mono audio in chunks of 4096 samples, each giving a speech
// probability, with the model's state and the chunk's last samples carried
// into the next chunk. On top of the chunk step it segments whole recordings
// into speech regions and reports speech start and end events while streaming.
// Operations run one at a time; the caller owns every state value.

#include "Platform/Audio/PCMBuffer.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/DownloadProgress.hpp"
#include "RazeziRuzer/Shared/ANEMemoryOptimizer.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/AudioConverter.hpp"
#include "RazeziRuzer/VAD/VadConfig.hpp"
#include "RazeziRuzer/VAD/VadResult.hpp"
#include "RazeziRuzer/VAD/VadSegment.hpp"
#include "RazeziRuzer/VAD/VadSegmentationConfig.hpp"
#include "RazeziRuzer/VAD/VadStream.hpp"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace razeziruzer {

class VadManager {
public:
    static constexpr int sampleRate = 16000;
    static constexpr std::size_t chunkSize = 4096;

    // Loads (downloading when missing) the model from "Models" inside
    // modelDirectory, else inside the package's default folder. Download and
    // load errors pass through; a load without the model is
    // VadError::modelLoadingFailed.
    static std::unique_ptr<VadManager> load(VadConfig config = {},
                                            std::optional<std::filesystem::path> modelDirectory = std::nullopt,
                                            const DownloadUtils::ProgressHandler& progressHandler = {});

    // With a model already in place; nothing is loaded.
    VadManager(VadConfig config, platform::coreml::MLModel vadModel);
    // Without a model: not available, and every non-empty chunk is
    // VadError::notInitialized.
    explicit VadManager(VadConfig config);

    VadManager(const VadManager&) = delete;
    VadManager& operator=(const VadManager&) = delete;

    const VadConfig& config() const { return config_; }
    const VadConfig& currentConfig() const { return config_; }
    bool isAvailable() const { return vadModel_.has_value(); }

    // One result per 4096-sample chunk, in order; an error in any chunk fails
    // the whole call.
    std::vector<VadResult> process(const std::filesystem::path& audioFile);
    std::vector<VadResult> process(const platform::audio::PCMBuffer& buffer);
    std::vector<VadResult> process(std::span<const float> samples);

    // One chunk: longer chunks are cut to 4096 samples, shorter ones extended
    // by repeating their last sample. No state means the initial state.
    VadResult processChunk(std::span<const float> chunk, const std::optional<VadState>& inputState = std::nullopt);

    std::vector<VadSegment> segmentSpeech(std::span<const float> samples, const VadSegmentationConfig& config = {});
    std::vector<VadSegment> segmentSpeech(const std::vector<VadResult>& results, std::int64_t totalSamples,
                                          const VadSegmentationConfig& config = {}) const;
    // One copy of the covered samples per segment.
    std::vector<std::vector<float>> segmentSpeechAudio(std::span<const float> samples,
                                                       const VadSegmentationConfig& config = {});

    VadStreamState makeStreamState() const { return VadStreamState::initial(); }
    // Advances a caller-held stream by one chunk; on error the caller's state
    // stays valid for the next chunk.
    VadStreamResult processStreamingChunk(std::span<const float> chunk, const VadStreamState& state,
                                          const VadSegmentationConfig& config = {}, bool returnSeconds = false,
                                          int timeResolution = 1);

private:
    std::vector<VadResult> processAudioSamples(std::span<const float> samples);
    // The model's probability and next recurrent states for a 4096-sample chunk.
    struct ModelOutput {
        float probability = 0;
        std::vector<float> hiddenState;
        std::vector<float> cellState;
    };
    ModelOutput runModel(std::span<const float> chunk, const VadState& state);
    ModelOutput predict(std::span<const float> chunk, const VadState& state);

    AppLogger logger_{"VadManager"};
    VadConfig config_;
    AudioConverter audioConverter_;
    ANEMemoryOptimizer memoryOptimizer_;
    std::optional<platform::coreml::MLModel> vadModel_;
    std::mutex mutex_;
};

} // namespace razeziruzer
