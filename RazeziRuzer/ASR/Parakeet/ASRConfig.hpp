#pragma once
// Settings of a speech recogniser: the audio rate it works on, its TDT
// decoder, the encoder width, long-audio parallelism and the streaming and
// chunking switches.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtConfig.hpp"

#include <cstdint>

namespace razeziruzer {

class ASRConfig {
public:
    // parallelChunkConcurrency is kept at least 1.
    ASRConfig(std::int64_t sampleRate, TdtConfig tdtConfig, std::int64_t encoderHiddenSize,
              std::int64_t parallelChunkConcurrency, bool streamingEnabled, std::int64_t streamingThreshold,
              bool melChunkContext, bool dualDecodeArbitration);

    // The shared default: 16 kHz, TdtConfig::default_(), width 1024, four
    // workers, streaming above 30 s, mel context on, arbitration off.
    static const ASRConfig& default_();

    std::int64_t sampleRate() const { return sampleRate_; }
    const TdtConfig& tdtConfig() const { return tdtConfig_; }
    std::int64_t encoderHiddenSize() const { return encoderHiddenSize_; }
    std::int64_t parallelChunkConcurrency() const { return parallelChunkConcurrency_; }
    bool streamingEnabled() const { return streamingEnabled_; }
    std::int64_t streamingThreshold() const { return streamingThreshold_; }
    bool melChunkContext() const { return melChunkContext_; }
    bool dualDecodeArbitration() const { return dualDecodeArbitration_; }

    bool operator==(const ASRConfig&) const = default;

private:
    std::int64_t sampleRate_;
    TdtConfig tdtConfig_;
    std::int64_t encoderHiddenSize_;
    std::int64_t parallelChunkConcurrency_;
    bool streamingEnabled_;
    std::int64_t streamingThreshold_;
    bool melChunkContext_;
    bool dualDecodeArbitration_;
};

} // namespace razeziruzer
