#pragma once
// The array work of the multilingual recogniser between its model runs: the
// preprocessor's audio input, the encoder's mel window with the frames carried
// from the previous chunk, one encoder frame cut out for a decode step, the
// decoder output cut for the joint, and the arg max over scores. Sources are
// read through their strides and converted from any element type; sizes are
// checked, so an output of the wrong shape is an error, never a stray read.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstdint>
#include <optional>
#include <span>

namespace razeziruzer::multilingualarrays {

using platform::coreml::MLMultiArray;

// Width of one encoder-projection frame.
inline constexpr std::int64_t encoderProjWidth = 640;

struct MelGeometry {
    std::int64_t melFeatures = 0;
    std::int64_t totalMelFrames = 0;
    std::int64_t preEncodeCache = 0;
};

// The element at an offset (in elements) from the array's start, as a float.
float floatAt(const MLMultiArray& array, std::int64_t offset);

// Float32 [1, N] holding the samples.
MLMultiArray createAudioArray(std::span<const float> samples);
// Float32 [1, melFeatures, totalMelFrames]: the cache's frames from frame 0,
// the chunk's frames from preEncodeCache on, zeros elsewhere.
MLMultiArray prependMelCache(const std::optional<MLMultiArray>& melCache, const MLMultiArray& chunkMel,
                             const MelGeometry& geometry);
// The chunk's last min(F, preEncodeCache) raw mel frames.
MLMultiArray extractMelCache(const MLMultiArray& chunkMel, const MelGeometry& geometry);

// Frame t of "encoded" [1, D, T] into a [1, D, 1] destination of D elements.
void fillEncoderStep(const MLMultiArray& destination, const MLMultiArray& encoded, std::int64_t timeIndex);
MLMultiArray extractEncoderStep(const MLMultiArray& encoded, std::int64_t timeIndex);
// Frame t of "encoder_proj" [1, T, P] into a [1, 1, P] destination of P elements.
void fillEncoderProjStep(const MLMultiArray& destination, const MLMultiArray& encoderProj, std::int64_t timeIndex);
MLMultiArray extractEncoderProjStep(const MLMultiArray& encoderProj, std::int64_t timeIndex);
// Position 0 of the last axis of "decoder_out" [1, H, U] as Float32 [1, H, 1].
MLMultiArray sliceDecoderOutput(const MLMultiArray& decoderOut);

// Index of the largest element over the whole array; the lowest index among
// equal maxima, 0 for an empty array; NaN never wins.
std::int64_t findMaxIndex(const MLMultiArray& scores);

// Root mean square of the samples (0 for none).
float rootMeanSquare(std::span<const float> samples);

} // namespace razeziruzer::multilingualarrays
