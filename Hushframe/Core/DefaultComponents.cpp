#include "Hushframe/Core/DefaultComponents.hpp"

#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/Models/ModelInputs.hpp"
#include "Hushframe/Core/Models/ModelOutputs.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/ModelUtilities.hpp"
#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"

namespace hushframe {

namespace {

std::optional<int> outputDimension(const WhisperMLModel& stage, const char* feature, std::size_t position) {
    const auto& model = stage.model();
    const auto size =
        pelluxcore::ModelUtilities::getModelOutputDimension(model ? &*model : nullptr, feature, position);
    if (!size) return std::nullopt;
    return static_cast<int>(*size);
}

std::optional<int> inputDimension(const WhisperMLModel& stage, const char* feature, std::size_t position) {
    const auto& model = stage.model();
    const auto size =
        pelluxcore::ModelUtilities::getModelInputDimension(model ? &*model : nullptr, feature, position);
    if (!size) return std::nullopt;
    return static_cast<int>(*size);
}

const platform::coreml::MLModel& loadedModel(const WhisperMLModel& stage) {
    const auto& model = stage.model();
    if (!model) throw WhisperError::modelsUnavailable("Models are unavailable");
    return *model;
}

class ModelFeatureExtractor final : public FeatureExtracting, public WhisperMLModel {
public:
    std::optional<int> windowSamples() const override { return inputDimension(*this, "audio", 0); }

    std::optional<FeatureExtractorOutputType> logMelSpectrogram(const AudioProcessorOutputType& fromAudio) override {
        const auto features = std::make_shared<platform::coreml::MLDictionaryFeatureProvider>(
            loadedModel(*this).prediction(MelSpectrogramInput(fromAudio)));
        return MelSpectrogramOutput(features).melspectrogramFeatures();
    }
};

class ModelAudioEncoder final : public AudioEncoding, public WhisperMLModel {
public:
    std::optional<int> embedSize() const override { return outputDimension(*this, "encoder_output_embeds", 1); }

    std::optional<AudioEncoderOutputType> encodeFeatures(const FeatureExtractorOutputType& features) override {
        const auto embeddings = std::make_shared<platform::coreml::MLDictionaryFeatureProvider>(
            loadedModel(*this).prediction(AudioEncoderInput(features)));
        return AudioEncoderOutput(embeddings).encoder_output_embeds();
    }
};

class ModelTextDecoder final : public TextDecoding, public WhisperMLModel {
public:
    std::optional<int> logitsSize() const override { return outputDimension(*this, "logits", 2); }
    std::optional<int> kvCacheEmbedDim() const override { return inputDimension(*this, "key_cache", 1); }
    std::optional<int> kvCacheMaxSequenceLength() const override { return inputDimension(*this, "key_cache", 3); }
    std::optional<int> windowSize() const override { return inputDimension(*this, "encoder_output_embeds", 3); }

    DecodingResult detectLanguage(const AudioEncoderOutputType&, DecodingInputsType&, TokenSampling&,
                                  const DecodingOptions&, float) override {
        throw WhisperError::decodingFailed("The decoding core is not available");
    }
};

class PlainSegmentSeeker final : public SegmentSeeking {};

class UnavailableTranscribeTask final : public TranscribeTask {
public:
    std::shared_ptr<TranscriptionResult> run(const std::vector<float>&, const std::optional<DecodingOptions>&,
                                             const TranscriptionCallback&) override {
        throw WhisperError::transcriptionFailed("The decoding core is not available");
    }
};

} // namespace

std::shared_ptr<AudioProcessing> DefaultComponents::audioProcessor() { return std::make_shared<AudioProcessor>(); }

std::shared_ptr<FeatureExtracting> DefaultComponents::featureExtractor() {
    return std::make_shared<ModelFeatureExtractor>();
}

std::shared_ptr<AudioEncoding> DefaultComponents::audioEncoder() { return std::make_shared<ModelAudioEncoder>(); }

std::shared_ptr<TextDecoding> DefaultComponents::textDecoder() { return std::make_shared<ModelTextDecoder>(); }

std::shared_ptr<SegmentSeeking> DefaultComponents::segmentSeeker() { return std::make_shared<PlainSegmentSeeker>(); }

std::unique_ptr<TranscribeTask> DefaultComponents::transcribeTask(
    const TranscriptionTimings&, std::shared_ptr<Progress>, std::shared_ptr<AudioProcessing>,
    std::shared_ptr<AudioEncoding>, std::shared_ptr<FeatureExtracting>, std::shared_ptr<SegmentSeeking>,
    std::shared_ptr<TextDecoding>, std::shared_ptr<WhisperTokenizer>) {
    return std::make_unique<UnavailableTranscribeTask>();
}

} // namespace hushframe
