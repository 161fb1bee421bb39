#pragma once
// The mel stage backed by its model: one window of 16 kHz samples in, the
// model's log-mel features out. It does no signal processing of its own; the
// window length and mel band count are those the loaded model declares.

#include "Hushframe/Core/FeatureExtracting.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"

#include <stop_token>

namespace hushframe {

class FeatureExtractor : public FeatureExtracting, public WhisperMLModel {
public:
    FeatureExtractor() = default;

    // Dimension 1 of the output "melspectrogram_features"; absent without a model.
    std::optional<int> melCount() const override;
    // Dimension 0 of the input "audio"; absent without a model.
    std::optional<int> windowSamples() const override;

    // The model's "melspectrogram_features" for the window, passed through
    // without copying; absent when the prediction lacks that output. Throws
    // WhisperError (modelsUnavailable) without a model, then
    // platform::CancellationError when a stop was requested, and passes the
    // model's errors through.
    std::optional<FeatureExtractorOutputType> logMelSpectrogram(const AudioProcessorOutputType& fromAudio) override;

    // Cooperative cancellation, checked before each prediction.
    std::stop_token stopToken;
};

} // namespace hushframe
