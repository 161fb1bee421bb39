#include "Hushframe/Models/AudioEncoder.hpp"

#include "Hushframe/Core/Models/ModelInputs.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Models/ModelSize.hpp"
#include "Hushframe/Models/SignpostInterval.hpp"
#include "PelluxCore/MLModelExtensions.hpp"
#include "Platform/Concurrency/Cancellation.hpp"

namespace hushframe {

std::optional<int> AudioEncoder::embedSize() const { return modelOutputSize(*this, "encoder_output_embeds", 1); }

std::optional<int> AudioEncoder::sequenceLength() const {
    return modelOutputSize(*this, "encoder_output_embeds", 3);
}

std::optional<AudioEncoderOutputType> AudioEncoder::encodeFeatures(const FeatureExtractorOutputType& features) {
    // A copy shares the loaded model, so an unload meanwhile leaves this prediction running.
    const std::optional<platform::coreml::MLModel> loaded = model();
    if (!loaded) throw WhisperError::modelsUnavailable("Models are unavailable");
    platform::checkCancellation(stopToken);
    const SignpostInterval interval("EncodeAudio", Logging::AudioEncoding::signposter());
    const auto outputs = pelluxcore::asyncPrediction(*loaded, AudioEncoderInput(features));
    const auto embeddings = outputs.featureValue("encoder_output_embeds");
    return embeddings ? embeddings->multiArrayValue() : std::nullopt;
}

} // namespace hushframe
