#pragma once
// What one decoding pass over one audio window produced.

#include "Hushframe/Core/Models/DecodingCache.hpp"
#include "Hushframe/Core/Models/DecodingFallback.hpp"
#include "Hushframe/Core/Models/TranscriptionTimings.hpp"

#include <map>
#include <string>
#include <vector>

namespace hushframe {

struct DecodingResult {
    std::string language;
    std::map<std::string, float> languageProbs;
    std::vector<int> tokens;
    std::vector<std::map<int, float>> tokenLogProbs;
    std::string text;
    float avgLogProb = 0;
    float noSpeechProb = 0;
    float temperature = 0;
    float compressionRatio = 0;
    std::optional<DecodingCache> cache;
    std::optional<TranscriptionTimings> timings;
    std::optional<DecodingFallback> fallback;

    // Empty texts and lists, zero statistics, nothing optional.
    static DecodingResult emptyResults() { return {}; }
};

} // namespace hushframe
