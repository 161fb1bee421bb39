#include "Hushframe/Models/FeatureExtractor.hpp"

#include "Hushframe/Core/Models/ModelInputs.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Models/ModelSize.hpp"
#include "Hushframe/Models/SignpostInterval.hpp"
#include "PelluxCore/MLModelExtensions.hpp"
#include "Platform/Concurrency/Cancellation.hpp"

namespace hushframe {

std::optional<int> FeatureExtractor::melCount() const {
    return modelOutputSize(*this, "melspectrogram_features", 1);
}

std::optional<int> FeatureExtractor::windowSamples() const { return modelInputSize(*this, "audio", 0); }

std::optional<FeatureExtractorOutputType> FeatureExtractor::logMelSpectrogram(
    const AudioProcessorOutputType& fromAudio) {
    // A copy shares the loaded model, so an unload meanwhile leaves this prediction running.
    const std::optional<platform::coreml::MLModel> loaded = model();
    if (!loaded) throw WhisperError::modelsUnavailable("Models are unavailable");
    platform::checkCancellation(stopToken);
    const SignpostInterval interval("ExtractAudioFeatures", Logging::FeatureExtractor::signposter());
    const auto outputs = pelluxcore::asyncPrediction(*loaded, MelSpectrogramInput(fromAudio));
    const auto features = outputs.featureValue("melspectrogram_features");
    return features ? features->multiArrayValue() : std::nullopt;
}

} // namespace hushframe
