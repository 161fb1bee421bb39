#pragma once
// Whether a window's decode must be repeated at the next temperature, and the
// threshold that decided.

#include <optional>
#include <string>

namespace hushframe {

struct DecodingOptions;

struct DecodingFallback {
    bool needsFallback = false;
    std::string fallbackReason;

    // The first rule that applies decides: a too unlikely first token, silence
    // (no retry), then the compression ratio and the average log probability.
    // Comparisons are strict, an absent threshold skips its rule, and no
    // applicable rule gives no verdict.
    static std::optional<DecodingFallback> make(const DecodingOptions& options, bool isFirstTokenLogProbTooLow,
                                                float noSpeechProb, float compressionRatio, float avgLogProb);

    bool operator==(const DecodingFallback&) const = default;
};

} // namespace hushframe
