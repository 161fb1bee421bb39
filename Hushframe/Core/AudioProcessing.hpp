#pragma once
// The audio processor the pipeline holds: it cuts one model window out of a
// sample array for the feature extractor, and owns live capture, which the
// main object ends when its state is cleared or it goes away. The default
// implementation, with the file loaders, is AudioProcessor (Hushframe/Audio).

#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstdint>
#include <optional>
#include <span>

namespace hushframe {

// What the audio processor hands the feature extractor: one window of samples.
using AudioProcessorOutputType = platform::coreml::MLMultiArray;

class AudioProcessing {
public:
    virtual ~AudioProcessing() = default;

    // A one-dimensional float32 array of exactly `toLength` samples copied
    // from `startAt`, zero-padded at the end; absent (with an error log) when
    // `startAt` lies outside the samples, so an empty array never gives one.
    static std::optional<platform::coreml::MLMultiArray> padOrTrimAudio(std::span<const float> fromArray,
                                                                        std::int64_t startAt, std::int64_t toLength,
                                                                        bool saveSegment = false);

    virtual std::optional<AudioProcessorOutputType> padOrTrim(std::span<const float> fromArray, std::int64_t startAt,
                                                              std::int64_t toLength) {
        return padOrTrimAudio(fromArray, startAt, toLength);
    }

    // Does nothing when no capture was set up.
    virtual void stopRecording() = 0;
};

} // namespace hushframe
