#pragma once
// Greedy token-and-duration transducer decoding of one encoder window: frame
// by frame it runs the joint network on the frame and the decoder's
// projection of the last token, emits tokens, advances by the predicted
// durations, flushes the tail of a recording's last window, and leaves in the
// caller's state what the next window of the same stream continues from.

#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtHypothesis.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtModelInference.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/Language.hpp"

#include <optional>
#include <stop_token>
#include <unordered_set>
#include <vector>

namespace razeziruzer {

struct TdtDecoderV3 {
    explicit TdtDecoderV3(ASRConfig config) : config(std::move(config)) {}

    AppLogger logger{"TDT"};
    ASRConfig config;
    TdtModelInference modelInference;

    // v3 tokens that a non-English latin hint replaces by a better candidate.
    static const std::unordered_set<int>& englishBlocklistIds();

    // Throws platform::CancellationError when `stop` is requested at a step, and the
    // errors of the model calls and of the frame and projection layouts.
    TdtHypothesis decodeWithTimings(const platform::coreml::MLMultiArray& encoderOutput, int encoderSequenceLength,
                                    int actualAudioFrames, const platform::coreml::MLModel& decoderModel,
                                    const platform::coreml::MLModel& jointModel, TdtDecoderState& decoderState,
                                    int contextFrameAdjustment, bool isLastChunk, int globalFrameOffset,
                                    std::optional<Language> language, const Vocabulary* vocabulary,
                                    std::optional<int> emitTokensAfterGlobalFrame,
                                    std::optional<int> initialTimeIndexOverride, std::stop_token stop = {});

    static void applyEnglishBlocklist(int& label, float& score, const std::optional<std::vector<int>>& topKIds,
                                      const std::optional<std::vector<float>>& topKLogits,
                                      const Vocabulary* vocabulary, int blankId);

private:
    static void tokenLanguageFilter(int& label, float& score, const std::optional<std::vector<int>>& topKIds,
                                    const std::optional<std::vector<float>>& topKLogits,
                                    std::optional<Language> language, const Vocabulary* vocabulary, int blankId);
    static platform::coreml::MLMultiArray extractFeatureValue(const platform::coreml::MLFeatureProvider& from,
                                                              const char* key, const char* errorMessage);
};

} // namespace razeziruzer
