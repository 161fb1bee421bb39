#pragma once
// One timed piece of a transcript: where it was decoded from, its text and
// tokens, the statistics of the decode that produced it, and word timings
// once they are added.

#include "Hushframe/Core/Models/WordTiming.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <span>

namespace hushframe {

struct TranscriptionSegment {
    // Number across the whole transcription.
    std::int64_t id = 0;
    // First sample (16 kHz) of the window the segment was decoded from.
    std::int64_t seek = 0;
    float start = 0;
    float end = 0;
    std::string text;
    std::vector<int> tokens;
    // Per token: token id to log probability.
    std::vector<std::map<int, float>> tokenLogProbs;
    float temperature = 0;
    float avgLogprob = 0;
    float compressionRatio = 0;
    float noSpeechProb = 0;
    // Absent until word timestamps are added; then a list, possibly empty.
    std::optional<std::vector<WordTiming>> words;

    float duration() const { return end - start; }

    bool operator==(const TranscriptionSegment&) const = default;
};

// True when some segment starts exactly where `segment` starts.
bool contains(std::span<const TranscriptionSegment> segments, const TranscriptionSegment& segment);

// "tokenLogProbs" maps are objects keyed by decimal token ids; "words" is
// left out when absent and may be missing or null when read.
void to_json(nlohmann::ordered_json& json, const TranscriptionSegment& segment);
void from_json(const nlohmann::ordered_json& json, TranscriptionSegment& segment);

} // namespace hushframe
