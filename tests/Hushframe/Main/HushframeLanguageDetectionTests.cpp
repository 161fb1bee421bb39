#include "Hushframe/Core/Hushframe.hpp"
#include "Hushframe/Core/Models/WhisperTokenizerWrapper.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Platform/Audio/AudioError.hpp"
#include "Platform/Audio/WavWriter.hpp"
#include "tests/Hushframe/Core/ExpectWhisperError.hpp"
#include "tests/Hushframe/Core/TinyTokenizer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace hushframe {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using pelluxcore::ModelState;
using testing::expectWhisperError;

// Records the window it is handed; answers with one marker value, or nothing.
class RecordingFeatureExtractor : public FeatureExtracting {
public:
    std::optional<int> windowSamples() const override { return window; }
    std::optional<FeatureExtractorOutputType> logMelSpectrogram(const AudioProcessorOutputType& fromAudio) override {
        const float* data = fromAudio.dataPointer<float>();
        received.assign(data, data + fromAudio.count());
        if (!answers) return std::nullopt;
        return MLMultiArray({1}, MLMultiArrayDataType::float32, 2.0);
    }

    std::optional<int> window;
    bool answers = true;
    std::vector<float> received;
};

class RecordingAudioEncoder : public AudioEncoding {
public:
    std::optional<int> embedSize() const override { return 384; }
    std::optional<AudioEncoderOutputType> encodeFeatures(const FeatureExtractorOutputType& features) override {
        receivedFeature = features[0].floatValue();
        if (!answers) return std::nullopt;
        return MLMultiArray({1}, MLMultiArrayDataType::float32, 3.0);
    }

    bool answers = true;
    std::optional<float> receivedFeature;
};

// Detects "de" and records what it was handed; may fail instead.
class ScriptedLanguageDecoder : public TextDecoding {
public:
    std::optional<int> logitsSize() const override { return 51865; }
    std::optional<int> kvCacheEmbedDim() const override { return 4; }
    std::optional<int> kvCacheMaxSequenceLength() const override { return sequenceLength; }
    std::optional<int> windowSize() const override { return 3; }

    DecodingResult detectLanguage(const AudioEncoderOutputType& from, DecodingInputsType& inputs,
                                  TokenSampling& sampler, const DecodingOptions& options, float temperature) override {
        ++detections;
        encoderOutput = from[0].floatValue();
        prompt = inputs.initialPrompt();
        if (const auto* greedy = dynamic_cast<GreedyTokenSampler*>(&sampler)) {
            samplerTemperature = greedy->temperature;
            samplerEndToken = greedy->eotToken;
        }
        receivedOptions = options;
        receivedTemperature = temperature;
        if (failure) std::rethrow_exception(failure);
        DecodingResult result;
        result.language = "de";
        result.languageProbs = {{"de", -0.1F}};
        return result;
    }

    std::optional<int> sequenceLength = 8;
    std::exception_ptr failure;
    int detections = 0;
    std::optional<float> encoderOutput;
    std::vector<int> prompt;
    std::optional<float> samplerTemperature;
    std::optional<int> samplerEndToken;
    std::optional<DecodingOptions> receivedOptions;
    std::optional<float> receivedTemperature;
};

// Loads no files: a load marks the models loaded and sets the tiny tokenizer.
class DetectingPipeline : public Hushframe {
public:
    using Hushframe::Hushframe;

    void loadModels(bool) override {
        ++loads;
        if (loadFailure) std::rethrow_exception(loadFailure);
        setModelState(ModelState::loaded);
        if (withTokenizer) {
            setTokenizer(std::make_shared<WhisperTokenizerWrapper>(testing::tinyTokenizer(), std::filesystem::path()));
        }
    }

    int loads = 0;
    bool withTokenizer = true;
    std::exception_ptr loadFailure;
};

class HushframeLanguageDetectionTests : public ::testing::Test {
protected:
    std::shared_ptr<RecordingFeatureExtractor> extractor = std::make_shared<RecordingFeatureExtractor>();
    std::shared_ptr<RecordingAudioEncoder> encoder = std::make_shared<RecordingAudioEncoder>();
    std::shared_ptr<ScriptedLanguageDecoder> decoder = std::make_shared<ScriptedLanguageDecoder>();
    std::shared_ptr<DetectingPipeline> pipeline;
    testsupport::TemporaryDirectory temp;

    HushframeLanguageDetectionTests() {
        HushframeConfig config;
        config.download = false;
        config.verbose = false;
        config.featureExtractor = extractor;
        config.audioEncoder = encoder;
        config.textDecoder = decoder;
        pipeline = Hushframe::create<DetectingPipeline>(config);
        decoder->setIsModelMultilingual(true);
    }
};

TEST_F(HushframeLanguageDetectionTests, LoadsTheModelsThenDetectsOnTheFirstWindow) {
    std::vector<float> fiveSeconds(80000, 0.25F);

    const auto detected = pipeline->detectLangauge(fiveSeconds);

    EXPECT_EQ(detected, (DetectedLanguage{"de", {{"de", -0.1F}}}));
    EXPECT_EQ(pipeline->loads, 1);
    // Padded with zeros to one default window.
    ASSERT_EQ(extractor->received.size(), 480000u);
    EXPECT_TRUE(std::all_of(extractor->received.begin(), extractor->received.begin() + 80000,
                            [](float sample) { return sample == 0.25F; }));
    EXPECT_TRUE(std::all_of(extractor->received.begin() + 80000, extractor->received.end(),
                            [](float sample) { return sample == 0; }));
    // The mel output reaches the encoder, the encoder output the decoder.
    EXPECT_EQ(encoder->receivedFeature, 2.0F);
    EXPECT_EQ(decoder->encoderOutput, 3.0F);
    // Prompt: start of transcript; greedy sampling at temperature 0 ending at the end token.
    EXPECT_EQ(decoder->prompt, (std::vector<int>{51}));
    EXPECT_EQ(decoder->samplerTemperature, 0.0F);
    EXPECT_EQ(decoder->samplerEndToken, 50);
    EXPECT_EQ(decoder->receivedTemperature, 0.0F);
    DecodingOptions::Arguments expected;
    expected.detectLanguage = false;
    expected.suppressTokens = std::vector<int>{};
    expected.concurrentWorkerCount = 16;
    EXPECT_EQ(decoder->receivedOptions, DecodingOptions(expected));

    pipeline->detectLangauge(fiveSeconds);
    EXPECT_EQ(pipeline->loads, 1);
}

TEST_F(HushframeLanguageDetectionTests, LongAudioIsCutToTheExtractorsWindow) {
    std::vector<float> sixtySeconds(960000);
    for (std::size_t i = 0; i < sixtySeconds.size(); ++i) sixtySeconds[i] = static_cast<float>(i);
    pipeline->detectLangauge(sixtySeconds);
    ASSERT_EQ(extractor->received.size(), 480000u);
    EXPECT_EQ(extractor->received.back(), 479999.0F);

    extractor->window = 1000;
    pipeline->detectLangauge(sixtySeconds);
    EXPECT_EQ(extractor->received.size(), 1000u);
}

TEST_F(HushframeLanguageDetectionTests, AnEnglishOnlyModelRefusesBeforeTheTokenizerIsLookedAt) {
    decoder->setIsModelMultilingual(false);
    pipeline->withTokenizer = false;
    expectWhisperError(WhisperErrorKind::decodingFailed, "Language detection not supported for this model",
                       [&] { pipeline->detectLangauge(std::vector<float>(16000)); });

    decoder->setIsModelMultilingual(true);
    expectWhisperError(WhisperErrorKind::tokenizerUnavailable, "Tokenizer is unavailable",
                       [&] { pipeline->detectLangauge(std::vector<float>(16000)); });
    EXPECT_EQ(decoder->detections, 0);
}

TEST_F(HushframeLanguageDetectionTests, EachStageThatGivesNothingStopsDetection) {
    expectWhisperError(WhisperErrorKind::transcriptionFailed, "Audio samples are nil",
                       [&] { pipeline->detectLangauge({}); });
    extractor->answers = false;
    expectWhisperError(WhisperErrorKind::transcriptionFailed, "Mel output is nil",
                       [&] { pipeline->detectLangauge(std::vector<float>(16000)); });
    extractor->answers = true;
    encoder->answers = false;
    expectWhisperError(WhisperErrorKind::transcriptionFailed, "Encoder output is nil",
                       [&] { pipeline->detectLangauge(std::vector<float>(16000)); });
    EXPECT_EQ(decoder->detections, 0);
}

TEST_F(HushframeLanguageDetectionTests, DecoderErrorsAreReplacedButInputAndLoadingErrorsPass) {
    decoder->failure = std::make_exception_ptr(WhisperError::modelsUnavailable("Failed to read logits size from model"));
    expectWhisperError(WhisperErrorKind::decodingFailed, "Language detection failed",
                       [&] { pipeline->detectLangauge(std::vector<float>(16000)); });
    decoder->failure = std::make_exception_ptr(std::runtime_error("anything"));
    expectWhisperError(WhisperErrorKind::decodingFailed, "Language detection failed",
                       [&] { pipeline->detectLangauge(std::vector<float>(16000)); });

    decoder->failure = nullptr;
    decoder->sequenceLength.reset();
    expectWhisperError(WhisperErrorKind::prepareDecoderInputsFailed, "Unable to determine kvCacheMaxSequenceLength",
                       [&] { pipeline->detectLangauge(std::vector<float>(16000)); });

    pipeline->unloadModels();
    pipeline->loadFailure = std::make_exception_ptr(WhisperError::modelsUnavailable("Model folder is not set."));
    expectWhisperError(WhisperErrorKind::modelsUnavailable, "Model folder is not set.",
                       [&] { pipeline->detectLangauge(std::vector<float>(16000)); });
}

TEST_F(HushframeLanguageDetectionTests, FilesAreReadForThirtySecondsWithChannelsSummed) {
    // 40 s of stereo at 16 kHz: left 0.5, right silent.
    std::vector<float> stereo(40 * 16000 * 2, 0.0F);
    for (std::size_t frame = 0; frame < stereo.size() / 2; ++frame) stereo[2 * frame] = 0.5F;
    const auto path = temp / "speech.wav";
    platform::audio::WavWriter::write(path, stereo, 16000, 2);
    extractor->window = 600000;

    EXPECT_EQ(pipeline->detectLanguage(path.string()).language, "de");

    // Only 30 s were read; the rest of the window is padding.
    ASSERT_EQ(extractor->received.size(), 600000u);
    EXPECT_NEAR(extractor->received[1000], 0.5F, 1e-3);
    EXPECT_NEAR(extractor->received[479000], 0.5F, 1e-3);
    EXPECT_EQ(extractor->received[480000], 0.0F);
}

TEST_F(HushframeLanguageDetectionTests, MissingOrUnreadableFilesFailBeforeDetection) {
    const auto missing = (temp / "missing.wav").string();
    expectWhisperError(WhisperErrorKind::loadAudioFailed, "Resource path does not exist " + missing,
                       [&] { pipeline->detectLanguage(missing); });
    const auto damaged = temp.write("damaged.wav", "not audio").string();
    EXPECT_THROW(pipeline->detectLanguage(damaged), platform::audio::AudioError);
    EXPECT_EQ(pipeline->loads, 0);
}

} // namespace
} // namespace hushframe
