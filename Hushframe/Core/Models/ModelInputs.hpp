#pragma once
// Feature providers for the three models' predictions, each offering its
// tensors under the models' feature names. Tensors are shared, not copied.

#include "Platform/CoreML/MLFeatureProvider.hpp"

namespace hushframe {

class MelSpectrogramInput : public platform::coreml::MLFeatureProvider {
public:
    explicit MelSpectrogramInput(platform::coreml::MLMultiArray audio) : audio(std::move(audio)) {}

    std::set<std::string> featureNames() const override;
    std::optional<platform::coreml::MLFeatureValue> featureValue(const std::string& featureName) const override;

    platform::coreml::MLMultiArray audio;
};

class AudioEncoderInput : public platform::coreml::MLFeatureProvider {
public:
    explicit AudioEncoderInput(platform::coreml::MLMultiArray melspectrogram_features)
        : melspectrogram_features(std::move(melspectrogram_features)) {}

    std::set<std::string> featureNames() const override;
    std::optional<platform::coreml::MLFeatureValue> featureValue(const std::string& featureName) const override;

    platform::coreml::MLMultiArray melspectrogram_features;
};

class TextDecoderInput : public platform::coreml::MLFeatureProvider {
public:
    TextDecoderInput(platform::coreml::MLMultiArray input_ids, platform::coreml::MLMultiArray cache_length,
                     platform::coreml::MLMultiArray key_cache, platform::coreml::MLMultiArray value_cache,
                     platform::coreml::MLMultiArray kv_cache_update_mask,
                     platform::coreml::MLMultiArray encoder_output_embeds,
                     platform::coreml::MLMultiArray decoder_key_padding_mask);

    std::set<std::string> featureNames() const override;
    std::optional<platform::coreml::MLFeatureValue> featureValue(const std::string& featureName) const override;

    platform::coreml::MLMultiArray input_ids;
    platform::coreml::MLMultiArray cache_length;
    platform::coreml::MLMultiArray key_cache;
    platform::coreml::MLMultiArray value_cache;
    platform::coreml::MLMultiArray kv_cache_update_mask;
    platform::coreml::MLMultiArray encoder_output_embeds;
    platform::coreml::MLMultiArray decoder_key_padding_mask;
};

} // namespace hushframe
