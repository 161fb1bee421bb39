#pragma once
// What the recording pipeline transcribes with. Blocking; throws the engine's
// own error.

#include "OstrelVirorez/Engines/TranscriptionResult.hpp"
#include "Platform/Audio/PCMBuffer.hpp"

#include <optional>
#include <string>

namespace ostrelvirorez {

class AudioTranscribing {
public:
    virtual ~AudioTranscribing() = default;

    // The buffer is 16 kHz mono float; the hint is a language code.
    virtual TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                           const std::optional<std::string>& languageHint) = 0;
};

} // namespace ostrelvirorez
