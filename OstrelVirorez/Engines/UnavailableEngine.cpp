#include "OstrelVirorez/Engines/UnavailableEngine.hpp"

#include "OstrelVirorez/Engines/EngineError.hpp"

#include <utility>

namespace ostrelvirorez {

UnavailableEngine::UnavailableEngine(std::string name, std::vector<std::string> supportedLanguages)
    : name_(std::move(name)), supportedLanguages_(std::move(supportedLanguages)) {}

void UnavailableEngine::load() { throw EngineError::unavailable(name_ + " is not included in this build."); }

TranscriptionResult UnavailableEngine::transcribe(const platform::audio::PCMBuffer&,
                                                  const std::optional<std::string>&) {
    throw EngineError::notLoaded();
}

} // namespace ostrelvirorez
