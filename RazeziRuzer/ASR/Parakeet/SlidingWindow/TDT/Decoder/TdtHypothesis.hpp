#pragma once
// The result of one decoding call: tokens with their global frames, durations
// and confidences (always the same length), their summed confidence, and the
// last token decoded.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderState.hpp"

#include <optional>
#include <vector>

namespace razeziruzer {

struct TdtHypothesis {
    explicit TdtHypothesis(std::optional<TdtDecoderState> decState = std::nullopt) : decState(std::move(decState)) {}

    float score = 0;
    std::vector<int> ySequence;
    std::optional<TdtDecoderState> decState;
    std::vector<int> timestamps;
    std::vector<int> tokenDurations;
    std::vector<float> tokenConfidences;
    std::optional<int> lastToken;

    void append(int token, int frame, int duration, float confidence) {
        ySequence.push_back(token);
        timestamps.push_back(frame);
        tokenDurations.push_back(duration);
        tokenConfidences.push_back(confidence);
        score += confidence;
    }
};

} // namespace razeziruzer
