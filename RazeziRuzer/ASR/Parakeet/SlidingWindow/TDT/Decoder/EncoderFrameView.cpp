#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/EncoderFrameView.hpp"

#include "Platform/CoreML/ArrayLayout.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/StridedCopy.hpp"

#include <algorithm>
#include <limits>
#include <string>

namespace razeziruzer {
namespace {

using platform::coreml::MLMultiArrayDataType;

bool fitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

[[noreturn]] void fail(const std::string& message) { throw ASRError::processingFailed(message); }

} // namespace

EncoderFrameView::EncoderFrameView(const platform::coreml::MLMultiArray& encoderOutput, std::int64_t validLength,
                                   std::int64_t expectedHiddenSize)
    : hiddenSize(expectedHiddenSize), count(0), array(encoderOutput), timeAxis(2), hiddenAxis(1), timeStride(0),
      hiddenStride(0), basePointer(nullptr) {
    const auto& shape = encoderOutput.shape();
    const auto shapeText = platform::coreml::layout::describe(shape);
    if (shape.size() != 3) fail("Invalid encoder output shape: " + shapeText);
    if (shape[0] != 1) fail("Unsupported batch dimension: " + std::to_string(shape[0]));
    if (shape[1] == expectedHiddenSize) {
        hiddenAxis = 1;
        timeAxis = 2;
    } else if (shape[2] == expectedHiddenSize) {
        hiddenAxis = 2;
        timeAxis = 1;
    } else {
        fail("Encoder hidden size mismatch: " + shapeText + ", expected " + std::to_string(expectedHiddenSize));
    }
    hiddenStride = encoderOutput.strides()[static_cast<std::size_t>(hiddenAxis)];
    timeStride = encoderOutput.strides()[static_cast<std::size_t>(timeAxis)];
    count = std::min(shape[static_cast<std::size_t>(timeAxis)], validLength);
    if (count < 1) fail("Encoder output has no frames");
    if (encoderOutput.dataType() != MLMultiArrayDataType::float32) {
        fail("Unsupported encoder output type: " + platform::coreml::dataTypeName(encoderOutput.dataType()));
    }
    basePointer = encoderOutput.dataPointer<float>();
}

void EncoderFrameView::copyFrame(std::int64_t index, float* into, std::int64_t destinationStride) const {
    if (index < 0 || index >= count) fail("Encoder frame index out of range: " + std::to_string(index));
    const float* source = basePointer + index * timeStride + timeBaseOffset;
    if (hiddenStride == 0) fail("Invalid hidden stride: 0");
    if (!fitsInt32(hiddenSize)) fail("Hidden size exceeds supported range");
    if (!fitsInt32(hiddenStride)) fail("Hidden stride exceeds supported range");
    if (!fitsInt32(destinationStride)) fail("Destination stride exceeds supported range");
    stridedCopy(hiddenSize, source, hiddenStride, into, destinationStride);
}

} // namespace razeziruzer
