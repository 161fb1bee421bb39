#pragma once
// The model calls of one decoding step: the prediction network run on a token
// (its LSTM state written straight back into the state's arrays), the joint
// network run on one encoder frame and the prepared decoder projection, and
// the layout of a projection as the joint's [1, 640, 1] input. One value
// serves one decoding call at a time: its options' output backings are
// replaced before every call.

#include "Platform/CoreML/MLModel.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/EncoderFrameView.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderState.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtJointDecision.hpp"

#include <optional>

namespace razeziruzer {

struct TdtModelInference {
    platform::coreml::MLPredictionOptions predictionOptions;

    TdtJointDecision runJointPrepared(const EncoderFrameView& encoderFrames, std::int64_t timeIndex,
                                      const platform::coreml::MLMultiArray& preparedDecoderStep,
                                      const platform::coreml::MLModel& model,
                                      const platform::coreml::MLMultiArray& encoderStep, float* encoderDestPtr,
                                      std::int64_t encoderDestStride,
                                      const platform::coreml::MLFeatureProvider& inputProvider,
                                      const platform::coreml::MLMultiArray& tokenIdBacking,
                                      const platform::coreml::MLMultiArray& tokenProbBacking,
                                      const platform::coreml::MLMultiArray& durationBacking, bool needsTopK);

    // Runs the prediction network on `token` with the state's LSTM arrays as
    // input and as output backings; returns the network's outputs.
    platform::coreml::MLDictionaryFeatureProvider runDecoder(int token, TdtDecoderState& state,
                                                             const platform::coreml::MLModel& model,
                                                             const platform::coreml::MLMultiArray& tokenInput,
                                                             const platform::coreml::MLMultiArray& lengthInput);

    // The projection ([1, 640, 1] or [1, 1, 640]) copied into `into`, or into a
    // new zeroed [1, 640, 1] array.
    static platform::coreml::MLMultiArray normalizeDecoderProjection(
        const platform::coreml::MLMultiArray& projection,
        const std::optional<platform::coreml::MLMultiArray>& into = std::nullopt);

private:
    static std::optional<std::vector<int>> extractInt32Array(const platform::coreml::MLFeatureProvider& from,
                                                             const char* key);
    static std::optional<std::vector<float>> extractFloat32Array(const platform::coreml::MLFeatureProvider& from,
                                                                 const char* key);
};

} // namespace razeziruzer
