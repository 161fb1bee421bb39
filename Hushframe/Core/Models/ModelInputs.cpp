#include "Hushframe/Core/Models/ModelInputs.hpp"

namespace hushframe {

using platform::coreml::MLFeatureValue;
using platform::coreml::MLMultiArray;

std::set<std::string> MelSpectrogramInput::featureNames() const { return {"audio"}; }

std::optional<MLFeatureValue> MelSpectrogramInput::featureValue(const std::string& featureName) const {
    if (featureName == "audio") return MLFeatureValue(audio);
    return std::nullopt;
}

std::set<std::string> AudioEncoderInput::featureNames() const { return {"melspectrogram_features"}; }

std::optional<MLFeatureValue> AudioEncoderInput::featureValue(const std::string& featureName) const {
    if (featureName == "melspectrogram_features") return MLFeatureValue(melspectrogram_features);
    return std::nullopt;
}

TextDecoderInput::TextDecoderInput(MLMultiArray input_ids, MLMultiArray cache_length, MLMultiArray key_cache,
                                   MLMultiArray value_cache, MLMultiArray kv_cache_update_mask,
                                   MLMultiArray encoder_output_embeds, MLMultiArray decoder_key_padding_mask)
    : input_ids(std::move(input_ids)),
      cache_length(std::move(cache_length)),
      key_cache(std::move(key_cache)),
      value_cache(std::move(value_cache)),
      kv_cache_update_mask(std::move(kv_cache_update_mask)),
      encoder_output_embeds(std::move(encoder_output_embeds)),
      decoder_key_padding_mask(std::move(decoder_key_padding_mask)) {}

std::set<std::string> TextDecoderInput::featureNames() const {
    return {"input_ids",   "cache_length",          "key_cache", "value_cache", "kv_cache_update_mask",
            "encoder_output_embeds", "decoder_key_padding_mask"};
}

std::optional<MLFeatureValue> TextDecoderInput::featureValue(const std::string& featureName) const {
    if (featureName == "input_ids") return MLFeatureValue(input_ids);
    if (featureName == "cache_length") return MLFeatureValue(cache_length);
    if (featureName == "key_cache") return MLFeatureValue(key_cache);
    if (featureName == "value_cache") return MLFeatureValue(value_cache);
    if (featureName == "kv_cache_update_mask") return MLFeatureValue(kv_cache_update_mask);
    if (featureName == "encoder_output_embeds") return MLFeatureValue(encoder_output_embeds);
    if (featureName == "decoder_key_padding_mask") return MLFeatureValue(decoder_key_padding_mask);
    return std::nullopt;
}

} // namespace hushframe
