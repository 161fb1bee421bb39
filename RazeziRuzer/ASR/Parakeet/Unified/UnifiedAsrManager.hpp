#pragma once
// Whole-recording recognition with the unified Parakeet offline encoder:
// windows of about 15 s overlapping by 2 s, each decoded from a fresh
// transducer state, their tokens merged across the overlaps. As a streaming
// recogniser it buffers audio and transcribes it all at finish().
//
// Operations are serialised on the object; callbacks run inside it.

#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/TokenEntry.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedBatchLayout.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedEncoderPrecision.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedModelSet.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer {

class UnifiedAsrManager final : public StreamingAsrManager {
public:
    using MLModelConfiguration = platform::coreml::MLModelConfiguration;

    explicit UnifiedAsrManager(std::optional<MLModelConfiguration> configuration = std::nullopt,
                               UnifiedConfig config = {},
                               UnifiedEncoderPrecision encoderPrecision = UnifiedEncoderPrecision::int8);

    std::string displayName() const override { return "Parakeet Unified 0.6B (offline 15s batch)"; }
    const UnifiedConfig& config() const { return config_; }
    UnifiedEncoderPrecision encoderPrecision() const { return encoderPrecision_; }
    const UnifiedBatchLayout& layout() const { return layout_; }
    MLModelConfiguration mlConfiguration() const;

    void loadModels(const std::filesystem::path& from);
    void loadModels(const std::optional<std::filesystem::path>& to, const std::optional<MLModelConfiguration>& configuration,
                    const DownloadUtils::ProgressHandler& progressHandler);
    void loadModels() override { loadModels(std::nullopt, std::nullopt, {}); }

    std::string transcribe(std::span<const float> samples);
    std::string transcribe(const platform::audio::PCMBuffer& buffer);

    void appendAudio(const platform::audio::PCMBuffer& buffer) override;
    void appendSamples(std::span<const float> samples);
    void processBufferedAudio() override {}
    std::string finish() override;
    void reset() override;
    void cleanup() noexcept override;
    void setPartialTranscriptCallback(TranscriptCallback callback) override;
    std::string getPartialTranscript() const override;

private:
    std::vector<TokenEntry> transcribeWindow(std::span<const float> samples, std::int64_t chunkStart);

    mutable std::recursive_mutex mutex_;
    AppLogger logger_{"UnifiedOffline"};
    std::optional<UnifiedModelSet> models_;
    AudioConverter audioConverter_{16000.0};
    UnifiedConfig config_;
    UnifiedEncoderPrecision encoderPrecision_;
    UnifiedBatchLayout layout_;
    std::vector<float> bufferedSamples_;
    std::string lastTranscript_;
    TranscriptCallback partialCallback_;
    MLModelConfiguration mlConfiguration_;
};

} // namespace razeziruzer
