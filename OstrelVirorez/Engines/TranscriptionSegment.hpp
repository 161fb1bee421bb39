#pragma once
// A timed piece of a transcript, times in seconds from the start of the audio.

#include <string>

namespace ostrelvirorez {

struct TranscriptionSegment {
    std::string text;
    double startTime = 0;
    double endTime = 0;

    friend bool operator==(const TranscriptionSegment&, const TranscriptionSegment&) = default;
};

} // namespace ostrelvirorez
