#include "OstrelVirorez/Engines/SpeechAnalyzerPlatform.hpp"

#include <stdexcept>

namespace ostrelvirorez {
namespace {

// The engine checks hasSpeechAnalyzer() before anything else, so the makers
// below are never reached; they fail loudly should that ever change.
class AbsentSpeechAnalyzerPlatform final : public SpeechAnalyzerPlatform {
public:
    bool hasSpeechAnalyzer() const override { return false; }
    bool transcriberIsAvailable() const override { return false; }
    SpeechLocale currentLocale() const override { return SpeechLocale{"en-US"}; }

    std::optional<SpeechLocale> supportedLocale(const SpeechLocale&) override { return std::nullopt; }
    std::vector<SpeechLocale> supportedLocales() override { return {}; }

    std::shared_ptr<SpeechTranscriber> makeTranscriber(const SpeechLocale&, SpeechTranscriberPreset) override {
        throw absent();
    }
    std::unique_ptr<AssetInstallationRequest> assetInstallationRequest(const SpeechModules&) override {
        throw absent();
    }
    std::optional<platform::audio::AudioFormat> bestAvailableAudioFormat(const SpeechModules&) override {
        return std::nullopt;
    }
    std::unique_ptr<SpeechAnalyzer> makeAnalyzer(const SpeechModules&, const SpeechAnalyzerOptions&) override {
        throw absent();
    }

private:
    static std::logic_error absent() { return std::logic_error("no speech analyzer on this platform"); }
};

} // namespace

std::shared_ptr<SpeechAnalyzerPlatform> SpeechAnalyzerPlatform::unavailable() {
    static const auto platform = std::make_shared<AbsentSpeechAnalyzerPlatform>();
    return platform;
}

} // namespace ostrelvirorez
