#pragma once
// How the streaming factory makes the unified Parakeet recognisers (offline
// 15-second windows and streaming): a maker interface, so a caller can put
// its own in, and the standard maker that builds the real recognisers.

#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/StreamingAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedEncoderPrecision.hpp"

#include <memory>

namespace razeziruzer {

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

// Makes StreamingUnifiedAsrManager and UnifiedAsrManager.
const UnifiedRecognisers& standardUnifiedRecognisers();

} // namespace razeziruzer
