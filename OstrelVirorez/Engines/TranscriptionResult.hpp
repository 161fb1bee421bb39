#pragma once
// What an engine returns for one recording. `duration` is the time the engine
// spent on the call in seconds, not the length of the audio.

#include "OstrelVirorez/Engines/TranscriptionSegment.hpp"

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

struct TranscriptionResult {
    std::string text;
    std::optional<std::string> language;
    std::optional<float> confidence;
    double duration = 0;
    std::optional<std::vector<TranscriptionSegment>> segments;

    friend bool operator==(const TranscriptionResult&, const TranscriptionResult&) = default;
};

} // namespace ostrelvirorez
