#pragma once
// The mel-spectrogram stage as the pipeline sees it.

#include "Hushframe/Core/AudioProcessing.hpp"

#include <optional>

namespace hushframe {

// What the feature extractor hands the audio encoder: the log-mel features of one window.
using FeatureExtractorOutputType = platform::coreml::MLMultiArray;

class FeatureExtracting {
public:
    virtual ~FeatureExtracting() = default;

    // Mel bands of the features; absent when the model does not tell.
    virtual std::optional<int> melCount() const { return std::nullopt; }

    // Samples of one model window; absent when the model does not tell.
    virtual std::optional<int> windowSamples() const = 0;

    // The mel features of one window of samples, or nothing. Throws the
    // model's errors, and WhisperError (modelsUnavailable) without a model.
    virtual std::optional<FeatureExtractorOutputType> logMelSpectrogram(const AudioProcessorOutputType& fromAudio) = 0;
};

} // namespace hushframe
