#include "OstrelVirorez/App/EngineTranscriber.hpp"

#include "OstrelVirorez/Engines/EngineManager.hpp"

namespace ostrelvirorez {

TranscriptionResult EngineTranscriber::transcribe(const platform::audio::PCMBuffer& buffer,
                                                  const std::optional<std::string>& languageHint) {
    return engineManager_.transcribe(buffer, languageHint);
}

} // namespace ostrelvirorez
