#pragma once
// The engine manager as the recording pipeline's transcriber.

#include "OstrelVirorez/App/AudioTranscribing.hpp"

namespace ostrelvirorez {

class EngineManager;

class EngineTranscriber final : public AudioTranscribing {
public:
    explicit EngineTranscriber(EngineManager& engineManager) : engineManager_(engineManager) {}

    TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                   const std::optional<std::string>& languageHint) override;

private:
    EngineManager& engineManager_;
};

} // namespace ostrelvirorez
