#pragma once
// One speech recognition back end as the engine manager drives it. load(),
// unload() and transcribe() block and may run on any thread; transcriptions
// may overlap each other, so implementations keep isLoaded() thread-safe.

#include "OstrelVirorez/Engines/TranscriptionResult.hpp"

#include <optional>
#include <string>
#include <vector>

namespace platform::audio {
class PCMBuffer;
}

namespace ostrelvirorez {

class TranscriptionEngine {
public:
    virtual ~TranscriptionEngine() = default;

    // Display name, used in logs.
    virtual const std::string& name() const = 0;
    // True once load() has succeeded and until unload().
    virtual bool isLoaded() const = 0;
    // Two-letter codes the engine claims; informational only.
    virtual const std::vector<std::string>& supportedLanguages() const = 0;

    // Fetches the models if needed and loads them; throws on failure.
    virtual void load() = 0;
    // Releases the models; never fails.
    virtual void unload() = 0;
    // Takes the recorder's buffer (16 kHz mono float) and an optional language code.
    virtual TranscriptionResult transcribe(const platform::audio::PCMBuffer& buffer,
                                           const std::optional<std::string>& languageHint) = 0;
};

} // namespace ostrelvirorez
