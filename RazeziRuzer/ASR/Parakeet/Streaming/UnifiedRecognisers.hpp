#pragma once
// How the streaming factory reaches the unified Parakeet recognisers (offline
// 15-second windows and streaming), which live in another part of the
// package: their settings record and a maker interface. Until a maker is
// supplied, the factory's default makes stand-ins that refuse to load.

#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedEncoderPrecision.hpp"

#include <cstdint>
#include <memory>

namespace razeziruzer {

struct UnifiedConfig {
    std::int64_t leftFrames;
    std::int64_t chunkFrames;
    std::int64_t rightFrames;
    std::int64_t sampleRate;
    std::int64_t frameSamples;
    std::int64_t melFeatures;
    std::int64_t decoderLayers;
    std::int64_t decoderHidden;
    std::int64_t blankIdx;
    std::int64_t maxSymbolsPerFrame;

    bool operator==(const UnifiedConfig&) const = default;
};

class UnifiedRecognisers {
public:
    virtual ~UnifiedRecognisers() = default;

    // Neither loads anything nor fails.
    virtual std::unique_ptr<StreamingAsrManager> makeStreaming(const platform::coreml::MLModelConfiguration& configuration,
                                                               const UnifiedConfig& config,
                                                               UnifiedEncoderPrecision encoderPrecision) const = 0;
    virtual std::unique_ptr<StreamingAsrManager> makeOffline(const platform::coreml::MLModelConfiguration& configuration,
                                                             const UnifiedConfig& config,
                                                             UnifiedEncoderPrecision encoderPrecision) const = 0;
};

// Makes stand-ins named like the real recognisers whose loadModels() fails
// with ASRError.modelLoadFailed and whose decoding reports notInitialized.
const UnifiedRecognisers& unavailableUnifiedRecognisers();

} // namespace razeziruzer
