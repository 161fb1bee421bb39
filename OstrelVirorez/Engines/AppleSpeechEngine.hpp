#pragma once
// The engine over the operating system's own speech analyzer. It holds no
// model: loading checks that the analyzer exists and installs the speech
// assets for a usable language; every transcription resolves the language,
// builds its own transcriber and analyzer, converts the recording to the
// analyzer's format and collects the text. Its messages are German.

#include "OstrelVirorez/Engines/SpeechAnalyzerPlatform.hpp"
#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Clock;
}

namespace ostrelvirorez {

class AppleSpeechEngine final : public TranscriptionEngine {
public:
    // Over this platform's analyzer.
    AppleSpeechEngine();
    // `clock` times each transcription and must outlive the engine.
    explicit AppleSpeechEngine(std::shared_ptr<SpeechAnalyzerPlatform> speech);
    AppleSpeechEngine(std::shared_ptr<SpeechAnalyzerPlatform> speech, const platform::Clock& clock);

    const std::string& name() const override { return name_; }
    bool isLoaded() const override { return isLoaded_; }
    const std::vector<std::string>& supportedLanguages() const override { return supportedLanguages_; }

    void load() override;
    void unload() override { isLoaded_ = false; }
    TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                   const std::optional<std::string>& languageHint) override;

    // The buffer in `to`: the buffer itself when no format is given or it
    // already has that format. Throws EngineError.transcriptionFailed.
    static platform::audio::PCMBuffer convert(const platform::audio::PCMBuffer& buffer,
                                              const std::optional<platform::audio::AudioFormat>& to);

private:
    // The hint's locale, the user's, then en-US, each as the analyzer matches
    // it; else the first supported locale.
    std::optional<SpeechLocale> resolveSupportedLocale(const std::optional<std::string>& hint);
    void ensureModelInstalled(const SpeechLocale& locale);
    TranscriptionResult run(const platform::audio::PCMBuffer& buffer, const std::optional<std::string>& languageHint);
    double secondsNow() const;

    const std::string name_ = "Apple SpeechAnalyzer";
    const std::vector<std::string> supportedLanguages_{"en", "de", "fr", "es", "zh", "ja",
                                                       "ko", "pt", "it", "nl", "ru"};
    std::atomic<bool> isLoaded_ = false;
    std::shared_ptr<SpeechAnalyzerPlatform> speech_;
    const platform::Clock& clock_;
};

} // namespace ostrelvirorez
