#pragma once
// The audio-encoder stage backed by its model: log-mel features in, the
// embeddings the text decoder attends to out. The embedding width and
// sequence length are those the loaded model declares.

#include "Hushframe/Core/AudioEncoding.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"

#include <stop_token>

namespace hushframe {

class AudioEncoder : public AudioEncoding, public WhisperMLModel {
public:
    AudioEncoder() = default;

    // Dimension 1 of the output "encoder_output_embeds"; absent without a model.
    std::optional<int> embedSize() const override;
    // Dimension 3 of the output "encoder_output_embeds"; absent without a model.
    virtual std::optional<int> sequenceLength() const;

    // The model's "encoder_output_embeds" for the features, passed through
    // without copying; absent when the prediction lacks that output. Throws
    // WhisperError (modelsUnavailable) without a model, then
    // platform::CancellationError when a stop was requested, and passes the
    // model's errors through.
    std::optional<AudioEncoderOutputType> encodeFeatures(const FeatureExtractorOutputType& features) override;

    // Cooperative cancellation, checked before each prediction.
    std::stop_token stopToken;
};

} // namespace hushframe
