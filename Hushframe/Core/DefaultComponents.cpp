#include "Hushframe/Core/DefaultComponents.hpp"

#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/Models/ModelInputs.hpp"
#include "Hushframe/Core/Models/ModelOutputs.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Decoding/SegmentSeeker.hpp"
#include "Hushframe/Decoding/TextDecoder.hpp"
#include "Hushframe/Decoding/WindowTranscribeTask.hpp"
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

} // namespace

std::shared_ptr<AudioProcessing> DefaultComponents::audioProcessor() { return std::make_shared<AudioProcessor>(); }

std::shared_ptr<FeatureExtracting> DefaultComponents::featureExtractor() {
    return std::make_shared<ModelFeatureExtractor>();
}

std::shared_ptr<AudioEncoding> DefaultComponents::audioEncoder() { return std::make_shared<ModelAudioEncoder>(); }

std::shared_ptr<TextDecoding> DefaultComponents::textDecoder() { return std::make_shared<TextDecoder>(); }

std::shared_ptr<SegmentSeeking> DefaultComponents::segmentSeeker() { return std::make_shared<SegmentSeeker>(); }

std::unique_ptr<TranscribeTask> DefaultComponents::transcribeTask(
    const TranscriptionTimings& currentTimings, std::shared_ptr<Progress> progress,
    std::shared_ptr<AudioProcessing> audioProcessor, std::shared_ptr<AudioEncoding> audioEncoder,
    std::shared_ptr<FeatureExtracting> featureExtractor, std::shared_ptr<SegmentSeeking> segmentSeeker,
    std::shared_ptr<TextDecoding> textDecoder, std::shared_ptr<WhisperTokenizer> tokenizer) {
    return std::make_unique<WindowTranscribeTask>(currentTimings, std::move(progress), std::move(audioProcessor),
                                                  std::move(audioEncoder), std::move(featureExtractor),
                                                  std::move(segmentSeeker), std::move(textDecoder),
                                                  std::move(tokenizer));
}

} // namespace hushframe
