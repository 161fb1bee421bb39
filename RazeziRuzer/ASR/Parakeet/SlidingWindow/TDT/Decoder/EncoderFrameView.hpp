#pragma once
// A strided view over the encoder output, [1, H, T] or [1, T, H], that copies
// one frame of H floats at a time into a decoder input array.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstdint>

namespace razeziruzer {

struct EncoderFrameView {
    // Throws ASRError.processingFailed for a shape, batch, hidden size or data
    // type the decoder cannot read, and for an output without valid frames.
    EncoderFrameView(const platform::coreml::MLMultiArray& encoderOutput, std::int64_t validLength,
                     std::int64_t expectedHiddenSize);

    // Copies frame `index` to `into`, element i at into[i * destinationStride].
    void copyFrame(std::int64_t index, float* into, std::int64_t destinationStride) const;

    std::int64_t hiddenSize;
    std::int64_t count;
    platform::coreml::MLMultiArray array;
    int timeAxis;
    int hiddenAxis;
    std::int64_t timeStride;
    std::int64_t hiddenStride;
    // Element offset of frame 0 from the base pointer. The array's data pointer
    // is the element at all-zero indices whatever the strides' signs, so this
    // is 0 on this platform.
    std::int64_t timeBaseOffset = 0;
    const float* basePointer;
};

} // namespace razeziruzer
