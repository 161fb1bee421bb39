#pragma once
// The outcome of one transcription: text, confidence, audio length, time
// taken, and optionally per-token timings, stage metrics and the vocabulary
// terms that boosting spotted and applied.

#include "RazeziRuzer/ASR/Parakeet/TokenTiming.hpp"
#include "RazeziRuzer/Shared/ASRPerformanceMetrics.hpp"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>
#include <vector>

namespace razeziruzer {

struct ASRResult {
    std::string text;
    float confidence = 0;
    double duration = 0;
    double processingTime = 0;
    std::optional<std::vector<TokenTiming>> tokenTimings;
    std::optional<ASRPerformanceMetrics> performanceMetrics;
    std::optional<std::vector<std::string>> ctcDetectedTerms;
    std::optional<std::vector<std::string>> ctcAppliedTerms;

    // Real-time factor in float arithmetic, unguarded: infinite for a zero time.
    float rtfx() const;
    // A copy with the text and both term lists replaced.
    ASRResult withRescoring(std::string text, std::optional<std::vector<std::string>> detected,
                            std::optional<std::vector<std::string>> applied) const;

    bool operator==(const ASRResult&) const = default;
};

// Keys are the field names, written in field order (hence the ordered JSON
// type). The four scalar keys are written always; the optional ones only when
// present, and read as absent when missing or null.
void to_json(nlohmann::ordered_json& json, const ASRResult& result);
void from_json(const nlohmann::ordered_json& json, ASRResult& result);

} // namespace razeziruzer
