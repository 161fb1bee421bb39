#pragma once
// The English Nemotron streaming recogniser used in batch fashion: every
// transcription resets the stream, appends the whole recording, decodes every
// chunk and flushes the tail. The recogniser has one stream state, so whole
// transcriptions (live preview and final pass) take turns on it; the language
// hint is not used.

#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Clock;
}

namespace razeziruzer {
class StreamingAsrManager;
}

namespace ostrelvirorez {

class NemotronEngine final : public TranscriptionEngine {
public:
    // Makes a fresh, unloaded recogniser for each load.
    using ManagerFactory = std::function<std::unique_ptr<razeziruzer::StreamingAsrManager>()>;

    // Over the package's recogniser with its default configuration and chunk size.
    NemotronEngine();
    // `clock` times each transcription and must outlive the engine.
    NemotronEngine(ManagerFactory makeManager, const platform::Clock& clock);
    ~NemotronEngine() override;

    const std::string& name() const override { return name_; }
    bool isLoaded() const override { return isLoaded_; }
    const std::vector<std::string>& supportedLanguages() const override { return supportedLanguages_; }

    // The recogniser's errors (download, load, the refusal without the neural
    // engine) pass unchanged; a failed load leaves the engine as it was.
    void load() override;
    void unload() override;
    TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                   const std::optional<std::string>& languageHint) override;

private:
    double secondsNow() const;

    const std::string name_ = "Nemotron 3.5 (Streaming)";
    const std::vector<std::string> supportedLanguages_{"en", "de", "fr", "es", "it", "pt", "nl", "pl", "cs", "sk",
                                                       "hu", "ro", "bg", "hr", "sl", "sr", "uk", "ru", "sv", "no",
                                                       "da", "fi", "el", "tr", "ca", "ja", "zh", "ko", "ar", "hi"};
    std::atomic<bool> isLoaded_ = false;
    // Guards the handle only; a transcription keeps its own reference.
    mutable std::mutex handleMutex_;
    std::shared_ptr<razeziruzer::StreamingAsrManager> manager_;
    // Held across each whole reset-append-decode-finish sequence and across
    // the release of the models, so no two of them interleave on the stream.
    std::mutex streamMutex_;
    ManagerFactory makeManager_;
    const platform::Clock& clock_;
};

} // namespace ostrelvirorez
