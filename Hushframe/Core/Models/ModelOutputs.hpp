#pragma once
// Views of the three models' predictions by feature name. The required views
// throw WhisperError (transcriptionFailed) when a prediction lacks the feature.

#include "Platform/CoreML/MLFeatureProvider.hpp"

#include <memory>

namespace hushframe {

// A model's prediction, read by feature name.
class ModelOutput : public platform::coreml::MLFeatureProvider {
public:
    explicit ModelOutput(std::shared_ptr<const platform::coreml::MLFeatureProvider> features);

    std::set<std::string> featureNames() const override { return features_->featureNames(); }
    std::optional<platform::coreml::MLFeatureValue> featureValue(const std::string& featureName) const override {
        return features_->featureValue(featureName);
    }

protected:
    platform::coreml::MLMultiArray requiredArray(const std::string& featureName) const;
    std::optional<platform::coreml::MLMultiArray> optionalArray(const std::string& featureName) const;

private:
    std::shared_ptr<const platform::coreml::MLFeatureProvider> features_;
};

class MelSpectrogramOutput : public ModelOutput {
public:
    using ModelOutput::ModelOutput;
    explicit MelSpectrogramOutput(platform::coreml::MLMultiArray melspectrogram_features);

    platform::coreml::MLMultiArray melspectrogramFeatures() const { return requiredArray("melspectrogram_features"); }
};

class AudioEncoderOutput : public ModelOutput {
public:
    using ModelOutput::ModelOutput;
    explicit AudioEncoderOutput(platform::coreml::MLMultiArray encoder_output_embeds);

    platform::coreml::MLMultiArray encoder_output_embeds() const { return requiredArray("encoder_output_embeds"); }
};

class TextDecoderOutput : public ModelOutput {
public:
    using ModelOutput::ModelOutput;
    // The arg-max tensor is accepted and not kept.
    TextDecoderOutput(platform::coreml::MLMultiArray logits, platform::coreml::MLMultiArray key_cache_updates,
                      platform::coreml::MLMultiArray value_cache_updates,
                      const platform::coreml::MLMultiArray& logits_argmax);

    platform::coreml::MLMultiArray logits() const { return requiredArray("logits"); }
    platform::coreml::MLMultiArray key_cache_updates() const { return requiredArray("key_cache_updates"); }
    platform::coreml::MLMultiArray value_cache_updates() const { return requiredArray("value_cache_updates"); }
    // Absent for a decoder without word-timing support.
    std::optional<platform::coreml::MLMultiArray> alignment_heads_weights() const {
        return optionalArray("alignment_heads_weights");
    }
};

} // namespace hushframe
