#pragma once
// The model inputs and outputs of one decoding call, created once at its start
// and refilled by every decoder and joint step: the token and length inputs of
// the prediction network, the joint's encoder-step and decoder-step arrays
// with the provider over them, and the joint's three one-element outputs.

#include "Platform/CoreML/MLMultiArray.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/ReusableJointInputProvider.hpp"

#include <cstdint>

namespace razeziruzer {

struct TdtStepBuffers {
    explicit TdtStepBuffers(std::int64_t encoderHiddenSize);

    platform::coreml::MLMultiArray tokenInput;
    platform::coreml::MLMultiArray lengthInput;
    platform::coreml::MLMultiArray encoderStep;
    platform::coreml::MLMultiArray decoderStep;
    ReusableJointInputProvider jointInput;
    platform::coreml::MLMultiArray tokenIdOutput;
    platform::coreml::MLMultiArray tokenProbOutput;
    platform::coreml::MLMultiArray durationOutput;

    float* encoderStepPointer() const { return encoderStep.dataPointer<float>(); }
    std::int64_t encoderStepStride() const { return encoderStep.strides()[1]; }
};

} // namespace razeziruzer
