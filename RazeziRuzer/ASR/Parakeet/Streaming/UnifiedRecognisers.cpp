#include "RazeziRuzer/ASR/Parakeet/Streaming/UnifiedRecognisers.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

namespace razeziruzer {
namespace {

class UnavailableUnifiedAsrManager final : public StreamingAsrManager {
public:
    UnavailableUnifiedAsrManager(std::string name, std::string category) : name_(std::move(name)), logger_(std::move(category)) {}

    std::string displayName() const override { return name_; }
    void loadModels() override {
        logger_.error(name_ + " is not available in this build");
        throw ASRError::modelLoadFailed();
    }
    void appendAudio(const platform::audio::PCMBuffer&) override {}
    void processBufferedAudio() override { throw ASRError::notInitialized(); }
    std::string finish() override { throw ASRError::notInitialized(); }
    void reset() override {}
    void cleanup() noexcept override {}
    void setPartialTranscriptCallback(TranscriptCallback) override {}
    std::string getPartialTranscript() const override { return ""; }

private:
    std::string name_;
    AppLogger logger_;
};

class UnavailableUnifiedRecognisers final : public UnifiedRecognisers {
public:
    std::unique_ptr<StreamingAsrManager> makeStreaming(const platform::coreml::MLModelConfiguration&,
                                                       const UnifiedConfig&, UnifiedEncoderPrecision) const override {
        return std::make_unique<UnavailableUnifiedAsrManager>("Parakeet Unified 0.6B (2080ms)", "UnifiedStreaming");
    }
    std::unique_ptr<StreamingAsrManager> makeOffline(const platform::coreml::MLModelConfiguration&,
                                                     const UnifiedConfig&, UnifiedEncoderPrecision) const override {
        return std::make_unique<UnavailableUnifiedAsrManager>("Parakeet Unified 0.6B (offline 15s batch)",
                                                              "UnifiedOffline");
    }
};

} // namespace

const UnifiedRecognisers& unavailableUnifiedRecognisers() {
    static const UnavailableUnifiedRecognisers instance;
    return instance;
}

} // namespace razeziruzer
