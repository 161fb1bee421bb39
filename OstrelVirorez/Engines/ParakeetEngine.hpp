#pragma once
// The default engine: the on-device Parakeet TDT v3 recogniser. load() fetches
// the 8-bit model set into the package cache and installs it in one
// recogniser; every transcription brings its own fresh decoder state, so
// overlapping calls share no decoding state.

#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRResult.hpp"
#include "RazeziRuzer/Shared/Language.hpp"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Clock;
}

namespace razeziruzer {
class AsrManager;
}

namespace ostrelvirorez {

class ParakeetEngine final : public TranscriptionEngine {
public:
    ParakeetEngine();
    // `clock` times each transcription and must outlive the engine.
    explicit ParakeetEngine(const platform::Clock& clock);
    ~ParakeetEngine() override;

    const std::string& name() const override { return name_; }
    bool isLoaded() const override { return isLoaded_; }
    const std::vector<std::string>& supportedLanguages() const override { return supportedLanguages_; }

    // Download, model-load and install errors are the package's, unchanged;
    // a failed load leaves the engine as it was.
    void load() override;
    void unload() override;
    TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                   const std::optional<std::string>& languageHint) override;

    // The recogniser's language for a hint: exact match among its codes, else none.
    static std::optional<razeziruzer::Language> recogniserLanguage(const std::optional<std::string>& hint);
    // The app's result for a recogniser result that took `duration` seconds.
    static TranscriptionResult makeResult(const razeziruzer::ASRResult& result, double duration);

private:
    double secondsNow() const;

    const std::string name_ = "Parakeet TDT v3";
    const std::vector<std::string> supportedLanguages_{"de", "en", "fr", "es", "it", "pt", "nl", "pl", "cs",
                                                       "sk", "hu", "ro", "bg", "hr", "sl", "sr", "uk", "ru",
                                                       "sv", "no", "da", "fi", "el", "tr", "ca"};
    std::atomic<bool> isLoaded_ = false;
    // Guards the handle; a transcription keeps its own reference, so an
    // unload during the call cannot pull the recogniser out from under it.
    mutable std::mutex mutex_;
    std::shared_ptr<razeziruzer::AsrManager> asrManager_;
    const platform::Clock& clock_;
};

} // namespace ostrelvirorez
