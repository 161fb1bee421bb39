#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualStepArrays.hpp"

#include "Platform/Accel/Float16.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace razeziruzer::multilingualarrays {
namespace {

using platform::coreml::MLMultiArrayDataType;

void requireRank(const MLMultiArray& array, std::size_t rank, const char* what) {
    if (array.shape().size() != rank) {
        throw ASRError::processingFailed(std::string(what) + " has " + std::to_string(array.shape().size()) +
                                         " dimensions, expected " + std::to_string(rank));
    }
}

void requireFrame(std::int64_t timeIndex, std::int64_t frames, const char* what) {
    if (timeIndex < 0 || timeIndex >= frames) {
        throw ASRError::processingFailed(std::string(what) + " has no frame " + std::to_string(timeIndex));
    }
}

void requireFits(const MLMultiArray& destination, std::int64_t width, const char* what) {
    if (destination.count() != width || destination.dataType() != MLMultiArrayDataType::float32) {
        throw ASRError::processingFailed(std::string(what) + " of width " + std::to_string(width) +
                                         " does not fit its step buffer of " + std::to_string(destination.count()));
    }
}

// Copies `count` elements read at first + i * stride into the dense float destination.
void gather(const MLMultiArray& source, std::int64_t first, std::int64_t stride, std::int64_t count, float* target) {
    if (source.dataType() == MLMultiArrayDataType::float32) {
        const float* data = source.dataPointer<float>();
        for (std::int64_t i = 0; i < count; ++i) target[i] = data[first + i * stride];
        return;
    }
    for (std::int64_t i = 0; i < count; ++i) target[i] = floatAt(source, first + i * stride);
}

} // namespace

float floatAt(const MLMultiArray& array, std::int64_t offset) {
    switch (array.dataType()) {
    case MLMultiArrayDataType::float32: return array.dataPointer<float>()[offset];
    case MLMultiArrayDataType::float16: return platform::accel::halfToFloat(array.dataPointer<std::uint16_t>()[offset]);
    case MLMultiArrayDataType::float64: return static_cast<float>(array.dataPointer<double>()[offset]);
    case MLMultiArrayDataType::int32: return static_cast<float>(array.dataPointer<std::int32_t>()[offset]);
    case MLMultiArrayDataType::int8: return static_cast<float>(array.dataPointer<std::int8_t>()[offset]);
    }
    return 0.0f;
}

MLMultiArray createAudioArray(std::span<const float> samples) {
    MLMultiArray array({1, static_cast<std::int64_t>(samples.size())}, MLMultiArrayDataType::float32);
    std::copy(samples.begin(), samples.end(), array.dataPointer<float>());
    return array;
}

MLMultiArray prependMelCache(const std::optional<MLMultiArray>& melCache, const MLMultiArray& chunkMel,
                             const MelGeometry& geometry) {
    requireRank(chunkMel, 3, "Mel output");
    if (geometry.totalMelFrames < geometry.preEncodeCache || geometry.preEncodeCache < 0) {
        throw ASRError::processingFailed("Mel window is shorter than its carried frames");
    }
    if (chunkMel.shape()[1] < geometry.melFeatures) throw ASRError::processingFailed("Mel output has too few bins");
    MLMultiArray window({1, geometry.melFeatures, geometry.totalMelFrames}, MLMultiArrayDataType::float32, 0.0);
    float* target = window.dataPointer<float>();
    const auto rowStride = window.strides()[1];
    if (melCache) {
        requireRank(*melCache, 3, "Mel cache");
        const auto cached = melCache->shape()[2];
        if (cached > geometry.preEncodeCache || melCache->shape()[1] < geometry.melFeatures) {
            throw ASRError::processingFailed("Mel cache does not fit the mel window");
        }
        for (std::int64_t m = 0; m < geometry.melFeatures; ++m) {
            gather(*melCache, m * melCache->strides()[1], melCache->strides()[2], cached, target + m * rowStride);
        }
    }
    const auto frames = std::min(geometry.totalMelFrames - geometry.preEncodeCache, chunkMel.shape()[2]);
    for (std::int64_t m = 0; m < geometry.melFeatures; ++m) {
        gather(chunkMel, m * chunkMel.strides()[1], chunkMel.strides()[2], frames,
               target + m * rowStride + geometry.preEncodeCache);
    }
    return window;
}

MLMultiArray extractMelCache(const MLMultiArray& chunkMel, const MelGeometry& geometry) {
    requireRank(chunkMel, 3, "Mel output");
    if (chunkMel.shape()[1] < geometry.melFeatures) throw ASRError::processingFailed("Mel output has too few bins");
    const auto frames = chunkMel.shape()[2];
    const auto kept = std::max<std::int64_t>(0, std::min(frames, geometry.preEncodeCache));
    MLMultiArray cache({1, geometry.melFeatures, kept}, MLMultiArrayDataType::float32);
    float* target = cache.dataPointer<float>();
    for (std::int64_t m = 0; m < geometry.melFeatures; ++m) {
        gather(chunkMel, m * chunkMel.strides()[1] + (frames - kept) * chunkMel.strides()[2], chunkMel.strides()[2],
               kept, target + m * kept);
    }
    return cache;
}

void fillEncoderStep(const MLMultiArray& destination, const MLMultiArray& encoded, std::int64_t timeIndex) {
    requireRank(encoded, 3, "Encoder output");
    requireFrame(timeIndex, encoded.shape()[2], "Encoder output");
    const auto width = encoded.shape()[1];
    requireFits(destination, width, "Encoder frame");
    gather(encoded, timeIndex * encoded.strides()[2], encoded.strides()[1], width, destination.dataPointer<float>());
}

MLMultiArray extractEncoderStep(const MLMultiArray& encoded, std::int64_t timeIndex) {
    requireRank(encoded, 3, "Encoder output");
    MLMultiArray step({1, encoded.shape()[1], 1}, MLMultiArrayDataType::float32);
    fillEncoderStep(step, encoded, timeIndex);
    return step;
}

void fillEncoderProjStep(const MLMultiArray& destination, const MLMultiArray& encoderProj, std::int64_t timeIndex) {
    requireRank(encoderProj, 3, "Encoder projection");
    requireFrame(timeIndex, encoderProj.shape()[1], "Encoder projection");
    const auto width = encoderProj.shape()[2];
    requireFits(destination, width, "Encoder projection frame");
    gather(encoderProj, timeIndex * encoderProj.strides()[1], encoderProj.strides()[2], width,
           destination.dataPointer<float>());
}

MLMultiArray extractEncoderProjStep(const MLMultiArray& encoderProj, std::int64_t timeIndex) {
    requireRank(encoderProj, 3, "Encoder projection");
    MLMultiArray step({1, 1, encoderProj.shape()[2]}, MLMultiArrayDataType::float32);
    fillEncoderProjStep(step, encoderProj, timeIndex);
    return step;
}

MLMultiArray sliceDecoderOutput(const MLMultiArray& decoderOut) {
    requireRank(decoderOut, 3, "Decoder output");
    if (decoderOut.shape()[2] < 1) throw ASRError::processingFailed("Decoder output has no position");
    const auto width = decoderOut.shape()[1];
    MLMultiArray slice({1, width, 1}, MLMultiArrayDataType::float32);
    gather(decoderOut, 0, decoderOut.strides()[1], width, slice.dataPointer<float>());
    return slice;
}

std::int64_t findMaxIndex(const MLMultiArray& scores) {
    std::int64_t best = 0;
    float bestValue = -INFINITY;
    bool found = false;
    const auto count = scores.count();
    const bool dense = scores.isContiguous();
    for (std::int64_t i = 0; i < count; ++i) {
        const float value = dense ? floatAt(scores, i) : scores[i].floatValue();
        if (std::isnan(value)) continue;
        if (!found || value > bestValue) {
            best = i;
            bestValue = value;
            found = true;
        }
    }
    return best;
}

float rootMeanSquare(std::span<const float> samples) {
    if (samples.empty()) return 0.0f;
    double sum = 0.0;
    for (const float sample : samples) sum += static_cast<double>(sample) * sample;
    return static_cast<float>(std::sqrt(sum / static_cast<double>(samples.size())));
}

} // namespace razeziruzer::multilingualarrays
