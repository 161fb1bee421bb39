#pragma once
// Decoding for the model sets whose blank token is 1024: the same greedy TDT
// decoding over a configuration with that blank, without language hints,
// vocabulary filtering, emission threshold or start override.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderV3.hpp"

namespace razeziruzer {

struct TdtDecoderV2 {
    static constexpr int blankId = 1024;

    explicit TdtDecoderV2(const ASRConfig& config);

    ASRConfig config;

    TdtHypothesis decodeWithTimings(const platform::coreml::MLMultiArray& encoderOutput, int encoderSequenceLength,
                                    int actualAudioFrames, const platform::coreml::MLModel& decoderModel,
                                    const platform::coreml::MLModel& jointModel, TdtDecoderState& decoderState,
                                    int contextFrameAdjustment, bool isLastChunk, int globalFrameOffset,
                                    std::stop_token stop = {}) const;
};

} // namespace razeziruzer
