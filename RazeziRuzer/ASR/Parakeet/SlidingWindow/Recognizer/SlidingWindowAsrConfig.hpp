#pragma once
// Settings of the sliding-window recogniser: how much new audio each window
// decodes, the context around it, when a window may confirm its text, and
// the TDT decoder settings. All audio is 16 kHz mono.

#include "RazeziRuzer/ASR/Parakeet/ASRConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtConfig.hpp"

#include <cstdint>
#include <optional>

namespace razeziruzer {

struct SlidingWindowAsrConfig {
    double chunkSeconds = 11.0;
    double hypothesisChunkSeconds = 2.0;  // carried only; no operation reads it
    double leftContextSeconds = 2.0;
    double rightContextSeconds = 2.0;
    double minContextForConfirmation = 10.0;
    double confirmationThreshold = 0.85;
    std::optional<TdtConfig> tdtConfig;

    static const SlidingWindowAsrConfig& default_();
    static const SlidingWindowAsrConfig& streaming();
    static SlidingWindowAsrConfig custom(double chunkDuration, double confirmationThreshold);

    SlidingWindowAsrConfig applying(TdtConfig settings) const;

    // Each term truncated to whole samples on its own before they are added.
    std::int64_t chunkSamples() const;
    std::int64_t leftSamples() const;
    std::int64_t rightSamples() const;
    std::int64_t windowSamples() const;
    ASRConfig asrConfig() const;

    // Throws SlidingWindowAsrError::invalidConfiguration when a window exceeds
    // the TDT models' 240000-sample input.
    void validate() const;

    bool operator==(const SlidingWindowAsrConfig&) const = default;
};

} // namespace razeziruzer
