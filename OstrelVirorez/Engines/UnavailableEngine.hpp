#pragma once
// Stands in for an engine whose adapter this build does not contain: it
// carries the engine's name and languages, and its load() always fails with
// EngineError.unavailable and a message saying so.

#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"

#include <string>
#include <vector>

namespace ostrelvirorez {

class UnavailableEngine final : public TranscriptionEngine {
public:
    UnavailableEngine(std::string name, std::vector<std::string> supportedLanguages);

    const std::string& name() const override { return name_; }
    bool isLoaded() const override { return false; }
    const std::vector<std::string>& supportedLanguages() const override { return supportedLanguages_; }

    void load() override;
    void unload() override {}
    TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                   const std::optional<std::string>& languageHint) override;

private:
    std::string name_;
    std::vector<std::string> supportedLanguages_;
};

} // namespace ostrelvirorez
