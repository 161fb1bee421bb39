#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtStepBuffers.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderState.hpp"
#include "RazeziRuzer/Shared/ANEMemoryUtils.hpp"

namespace razeziruzer {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

MLMultiArray lengthOne() {
    MLMultiArray array({1}, MLMultiArrayDataType::int32);
    array[0] = 1;
    return array;
}

} // namespace

TdtStepBuffers::TdtStepBuffers(std::int64_t encoderHiddenSize)
    : tokenInput({1, 1}, MLMultiArrayDataType::int32),
      lengthInput(lengthOne()),
      encoderStep(ANEMemoryUtils::createAlignedArray({1, encoderHiddenSize, 1}, MLMultiArrayDataType::float32, true)),
      decoderStep(ANEMemoryUtils::createAlignedArray({1, TdtDecoderState::hiddenSize, 1},
                                                     MLMultiArrayDataType::float32, true)),
      jointInput(encoderStep, decoderStep),
      tokenIdOutput({1, 1, 1}, MLMultiArrayDataType::int32),
      tokenProbOutput({1, 1, 1}, MLMultiArrayDataType::float32),
      durationOutput({1, 1, 1}, MLMultiArrayDataType::int32) {}

} // namespace razeziruzer
