#include "Hushframe/Core/Models/ModelOutputs.hpp"

#include "Hushframe/Core/WhisperError.hpp"
#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"

#include <stdexcept>

namespace hushframe {

using platform::coreml::MLDictionaryFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;

namespace {

std::shared_ptr<const MLDictionaryFeatureProvider> provider(std::map<std::string, MLFeatureValue> features) {
    return std::make_shared<const MLDictionaryFeatureProvider>(std::move(features));
}

} // namespace

ModelOutput::ModelOutput(std::shared_ptr<const platform::coreml::MLFeatureProvider> features)
    : features_(std::move(features)) {
    if (!features_) throw std::invalid_argument("a model output needs a feature provider");
}

MLMultiArray ModelOutput::requiredArray(const std::string& featureName) const {
    auto array = optionalArray(featureName);
    if (!array) throw WhisperError::transcriptionFailed("Model output has no feature " + featureName);
    return *std::move(array);
}

std::optional<MLMultiArray> ModelOutput::optionalArray(const std::string& featureName) const {
    const auto value = features_->featureValue(featureName);
    return value ? value->multiArrayValue() : std::nullopt;
}

MelSpectrogramOutput::MelSpectrogramOutput(MLMultiArray melspectrogram_features)
    : ModelOutput(provider({{"melspectrogram_features", MLFeatureValue(std::move(melspectrogram_features))}})) {}

AudioEncoderOutput::AudioEncoderOutput(MLMultiArray encoder_output_embeds)
    : ModelOutput(provider({{"encoder_output_embeds", MLFeatureValue(std::move(encoder_output_embeds))}})) {}

TextDecoderOutput::TextDecoderOutput(MLMultiArray logits, MLMultiArray key_cache_updates,
                                     MLMultiArray value_cache_updates, const MLMultiArray&)
    : ModelOutput(provider({{"logits", MLFeatureValue(std::move(logits))},
                            {"key_cache_updates", MLFeatureValue(std::move(key_cache_updates))},
                            {"value_cache_updates", MLFeatureValue(std::move(value_cache_updates))}})) {}

} // namespace hushframe
