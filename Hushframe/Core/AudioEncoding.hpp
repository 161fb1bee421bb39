#pragma once
// The audio-encoder stage as the pipeline sees it.

#include "Hushframe/Core/FeatureExtracting.hpp"

#include <optional>

namespace hushframe {

// What the audio encoder hands the text decoder: the embeddings of one window.
using AudioEncoderOutputType = platform::coreml::MLMultiArray;

class AudioEncoding {
public:
    virtual ~AudioEncoding() = default;

    // Width of the encoder's output embeddings; absent while no model is loaded.
    virtual std::optional<int> embedSize() const = 0;

    // The encoder output for the mel features, or nothing. Throws the
    // model's errors, and WhisperError (modelsUnavailable) without a model.
    virtual std::optional<AudioEncoderOutputType> encodeFeatures(const FeatureExtractorOutputType& features) = 0;
};

} // namespace hushframe
