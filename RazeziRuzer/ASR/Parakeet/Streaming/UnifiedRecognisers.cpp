#include "RazeziRuzer/ASR/Parakeet/Streaming/UnifiedRecognisers.hpp"

#include "RazeziRuzer/ASR/Parakeet/Unified/StreamingUnifiedAsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedAsrManager.hpp"

namespace razeziruzer {
namespace {

class StandardUnifiedRecognisers final : public UnifiedRecognisers {
public:
    std::unique_ptr<StreamingAsrManager> makeStreaming(const platform::coreml::MLModelConfiguration& configuration,
                                                       const UnifiedConfig& config,
                                                       UnifiedEncoderPrecision encoderPrecision) const override {
        return std::make_unique<StreamingUnifiedAsrManager>(configuration, config, encoderPrecision);
    }
    std::unique_ptr<StreamingAsrManager> makeOffline(const platform::coreml::MLModelConfiguration& configuration,
                                                     const UnifiedConfig& config,
                                                     UnifiedEncoderPrecision encoderPrecision) const override {
        return std::make_unique<UnifiedAsrManager>(configuration, config, encoderPrecision);
    }
};

} // namespace

const UnifiedRecognisers& standardUnifiedRecognisers() {
    static const StandardUnifiedRecognisers instance;
    return instance;
}

} // namespace razeziruzer
