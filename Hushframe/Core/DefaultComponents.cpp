#include "Hushframe/Core/DefaultComponents.hpp"

#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/ModelUtilities.hpp"

namespace hushframe {

namespace {

std::optional<int> outputDimension(const WhisperMLModel& stage, const char* feature, std::size_t position) {
    const auto& model = stage.model();
    const auto size =
        pelluxcore::ModelUtilities::getModelOutputDimension(model ? &*model : nullptr, feature, position);
    if (!size) return std::nullopt;
    return static_cast<int>(*size);
}

class IdleAudioProcessor final : public AudioProcessing {
public:
    void stopRecording() override {}
};

class ModelFeatureExtractor final : public FeatureExtracting, public WhisperMLModel {
public:
    std::optional<int> windowSamples() const override {
        const auto& loaded = model();
        const auto size =
            pelluxcore::ModelUtilities::getModelInputDimension(loaded ? &*loaded : nullptr, "audio", 0);
        if (!size) return std::nullopt;
        return static_cast<int>(*size);
    }
};

class ModelAudioEncoder final : public AudioEncoding, public WhisperMLModel {
public:
    std::optional<int> embedSize() const override { return outputDimension(*this, "encoder_output_embeds", 1); }
};

class ModelTextDecoder final : public TextDecoding, public WhisperMLModel {
public:
    std::optional<int> logitsSize() const override { return outputDimension(*this, "logits", 2); }
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

std::shared_ptr<AudioProcessing> DefaultComponents::audioProcessor() { return std::make_shared<IdleAudioProcessor>(); }

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
