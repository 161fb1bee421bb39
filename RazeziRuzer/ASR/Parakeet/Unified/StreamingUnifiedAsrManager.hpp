#pragma once
// Live recognition with the unified Parakeet streaming encoder: converted
// 16 kHz audio is cut into fixed overlapping windows, each window's new frames
// are decoded by a transducer whose state runs on between windows, and a
// running transcript with per-token timings is kept.
//
// Operations are serialised on the object; callbacks run inside it and may
// call back. A window changes the stream only when it succeeds: after a
// failure the same window is planned again by the next call, so no audio is
// lost to a transient model error.

#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/TokenTiming.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedEncoderPrecision.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedModelSet.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedStreamingWindower.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace razeziruzer {

class StreamingUnifiedAsrManager final : public StreamingAsrManager {
public:
    using MLModelConfiguration = platform::coreml::MLModelConfiguration;

    explicit StreamingUnifiedAsrManager(std::optional<MLModelConfiguration> configuration = std::nullopt,
                                        UnifiedConfig config = {},
                                        UnifiedEncoderPrecision encoderPrecision = UnifiedEncoderPrecision::int8);

    std::string displayName() const override;
    const UnifiedConfig& config() const { return config_; }
    UnifiedEncoderPrecision encoderPrecision() const { return encoderPrecision_; }
    MLModelConfiguration mlConfiguration() const;

    void loadModels(const std::filesystem::path& from);
    void loadModels(const std::optional<std::filesystem::path>& to, const std::optional<MLModelConfiguration>& configuration,
                    const DownloadUtils::ProgressHandler& progressHandler);
    void loadModels() override { loadModels(std::nullopt, std::nullopt, {}); }

    void appendAudio(const platform::audio::PCMBuffer& buffer) override;
    // Appends samples already at 16 kHz mono.
    void appendSamples(std::span<const float> samples);
    void processBufferedAudio() override;
    // Decodes the rest, look-ahead included; later audio waits for reset().
    std::string finish() override;
    void reset() override;
    void cleanup() noexcept override;
    void setPartialTranscriptCallback(TranscriptCallback callback) override;
    std::string getPartialTranscript() const override;
    std::vector<TokenTiming> consumeTokenTimings();

    std::vector<std::int64_t> accumulatedTokenIds() const;
    int processedChunks() const;
    std::size_t retainedSampleCount() const;

private:
    void processAvailable(bool isFinal);
    // True when the window emitted tokens.
    bool processWindow(const UnifiedStreamingWindower::Plan& plan);
    void appendEmissions(const std::vector<UnifiedRnntDecoder::Emission>& emissions);
    void trimSamples();

    mutable std::recursive_mutex mutex_;
    AppLogger logger_{"UnifiedStreaming"};
    std::optional<UnifiedModelSet> models_;
    AudioConverter audioConverter_{16000.0};
    UnifiedConfig config_;
    UnifiedEncoderPrecision encoderPrecision_;
    std::vector<float> samples_;
    std::int64_t samplesGlobalStart_ = 0;
    UnifiedStreamingWindower windower_;
    std::vector<std::int64_t> accumulatedTokenIds_;
    std::string transcriptCache_;
    std::vector<TokenTiming> pendingTokenTimings_;
    TranscriptCallback partialCallback_;
    int processedChunks_ = 0;
    MLModelConfiguration mlConfiguration_;
};

} // namespace razeziruzer
