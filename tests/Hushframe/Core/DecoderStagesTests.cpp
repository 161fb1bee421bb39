#include "Hushframe/Audio/AudioProcessor.hpp"
#include "Hushframe/Core/DefaultComponents.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "Hushframe/Core/TextDecoding.hpp"
#include "Hushframe/Core/TokenSampler.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "tests/Hushframe/Core/ExpectWhisperError.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace hushframe {
namespace {

using platform::coreml::MLFeatureDescription;
using platform::coreml::MLModel;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using platform::coreml::ScriptedModelBackend;
using ::testing::ElementsAre;
using testing::expectWhisperError;

MLMultiArray scores(const std::vector<float>& values) {
    MLMultiArray logits({1, 1, static_cast<std::int64_t>(values.size())}, MLMultiArrayDataType::float32);
    for (std::size_t i = 0; i < values.size(); ++i) logits[static_cast<std::int64_t>(i)] = values[i];
    return logits;
}

double logSoftmaxAt(const std::vector<float>& values, std::size_t index, double temperature) {
    double sum = 0;
    for (const float value : values) sum += std::exp(value / temperature);
    return values[index] / temperature - std::log(sum);
}

TEST(TokenSamplerTests, TemperatureZeroTakesTheArgMaxWithItsLogProbability) {
    const std::vector<float> values{0.5F, 3.0F, -1.0F, 2.0F};
    GreedyTokenSampler sampler(0, 3, DecodingOptions());

    const auto result = sampler.update({7}, scores(values), {-0.25F});

    EXPECT_EQ(result.tokens, (std::vector<int>{7, 1}));
    ASSERT_EQ(result.logProbs.size(), 2u);
    EXPECT_EQ(result.logProbs[0], -0.25F);
    EXPECT_NEAR(result.logProbs[1], logSoftmaxAt(values, 1, 1.0), 1e-6);
    EXPECT_FALSE(result.completed);
    // Suppressed entries never win and do not disturb the others.
    const auto suppressed = sampler.update({}, scores({-std::numeric_limits<float>::infinity(), 0.0F, 1.0F}), {});
    EXPECT_EQ(suppressed.tokens, (std::vector<int>{2}));
}

TEST(TokenSamplerTests, TopOneAtATemperatureIsTheArgMaxAtThatTemperature) {
    const std::vector<float> values{0.5F, 1.0F, 0.9F};
    GreedyTokenSampler sampler(0.2F, 1, DecodingOptions({.topK = 1}));
    for (int attempt = 0; attempt < 20; ++attempt) {
        const auto result = sampler.update({}, scores(values), {});
        EXPECT_EQ(result.tokens, (std::vector<int>{1}));
        EXPECT_NEAR(result.logProbs[0], logSoftmaxAt(values, 1, 0.2), 1e-5);
        EXPECT_TRUE(result.completed);
    }
    // A draw among the top two never picks a third.
    GreedyTokenSampler two(1.0F, 99, DecodingOptions({.topK = 2}));
    for (int attempt = 0; attempt < 50; ++attempt) {
        EXPECT_NE(two.update({}, scores({5.0F, 5.0F, -5.0F}), {}).tokens[0], 2);
    }
}

TEST(TokenSamplerTests, FinalizeEndsTheSequenceOnce) {
    GreedyTokenSampler sampler(0, 50, DecodingOptions());
    EXPECT_EQ(sampler.finalize({1, 50}, {-1, -2}), (SamplingResult{{1, 50}, {-1, -2}, true}));
    EXPECT_EQ(sampler.finalize({1}, {-1}), (SamplingResult{{1, 50}, {-1, 0}, true}));
    EXPECT_EQ(sampler.finalize({}, {}), (SamplingResult{{50}, {0}, true}));
}

// Reports whatever sizes it is given, and has no decoding of its own.
class SizedDecoder : public TextDecoding {
public:
    std::optional<int> logitsSize() const override { return 51865; }
    std::optional<int> kvCacheEmbedDim() const override { return embed; }
    std::optional<int> kvCacheMaxSequenceLength() const override { return sequence; }
    std::optional<int> windowSize() const override { return window; }
    DecodingResult detectLanguage(const AudioEncoderOutputType&, DecodingInputsType&, TokenSampling&,
                                  const DecodingOptions&, float) override {
        return {};
    }

    std::optional<int> embed = 4;
    std::optional<int> sequence = 6;
    std::optional<int> window = 3;
};

TEST(TextDecodingTests, PreparedInputsHaveTheDecodersShapesAndStartValues) {
    SizedDecoder decoder;
    const auto inputs = decoder.prepareDecoderInputs({51, 52});

    EXPECT_EQ(inputs->initialPrompt(), (std::vector<int>{51, 52}));
    EXPECT_EQ(inputs->inputIds().shape(), (std::vector<std::int64_t>{1}));
    EXPECT_EQ(inputs->inputIds().dataType(), MLMultiArrayDataType::int32);
    EXPECT_EQ(inputs->cacheLength()[0].int32Value(), 0);
    EXPECT_EQ(inputs->keyCache().shape(), (std::vector<std::int64_t>{1, 4, 1, 6}));
    EXPECT_EQ(inputs->valueCache().dataType(), MLMultiArrayDataType::float16);
    EXPECT_EQ(inputs->alignmentWeights().shape(), (std::vector<std::int64_t>{6, 3}));
    std::vector<double> update;
    std::vector<double> padding;
    for (std::int64_t i = 0; i < 6; ++i) {
        update.push_back(inputs->kvCacheUpdateMask()[i]);
        padding.push_back(inputs->decoderKeyPaddingMask()[i]);
    }
    EXPECT_THAT(update, ElementsAre(1, 0, 0, 0, 0, 0));
    EXPECT_THAT(padding, ElementsAre(0, -10000, -10000, -10000, -10000, -10000));
}

TEST(TextDecodingTests, UnknownSizesRefuseInOrder) {
    SizedDecoder decoder;
    decoder.embed.reset();
    decoder.sequence.reset();
    decoder.window.reset();
    expectWhisperError(WhisperErrorKind::prepareDecoderInputsFailed, "Unable to determine kvCacheEmbedDim",
                       [&] { decoder.prepareDecoderInputs({51}); });
    decoder.embed = 4;
    expectWhisperError(WhisperErrorKind::prepareDecoderInputsFailed, "Unable to determine kvCacheMaxSequenceLength",
                       [&] { decoder.prepareDecoderInputs({51}); });
    decoder.sequence = 6;
    expectWhisperError(WhisperErrorKind::prepareDecoderInputsFailed, "Unable to determine encoderOutputDim",
                       [&] { decoder.prepareDecoderInputs({51}); });
}

TEST(DefaultComponentsTests, MelAndEncoderStagesRunTheirModels) {
    const auto f32 = MLMultiArrayDataType::float32;
    const auto features = MLMultiArray({1, 2}, f32, 0.75);
    const auto embeddings = MLMultiArray({1, 3}, f32, -1.5);
    auto melBackend = std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({MLFeatureDescription::multiArray("audio", {4}, f32)},
                                 {MLFeatureDescription::multiArray("melspectrogram_features", {1, 2}, f32)}),
        std::vector<ScriptedModelBackend::Outputs>{{{"melspectrogram_features", features}}});
    auto encoderBackend = std::make_shared<ScriptedModelBackend>(
        MLModelDescription::make({MLFeatureDescription::multiArray("melspectrogram_features", {1, 2}, f32)},
                                 {MLFeatureDescription::multiArray("encoder_output_embeds", {1, 3}, f32)}),
        std::vector<ScriptedModelBackend::Outputs>{{{"encoder_output_embeds", embeddings}}});

    const auto extractor = DefaultComponents::featureExtractor();
    const auto encoder = DefaultComponents::audioEncoder();
    const MLMultiArray window({4}, f32, 0.5);
    expectWhisperError(WhisperErrorKind::modelsUnavailable, "Models are unavailable",
                       [&] { extractor->logMelSpectrogram(window); });
    expectWhisperError(WhisperErrorKind::modelsUnavailable, "Models are unavailable",
                       [&] { encoder->encodeFeatures(features); });

    dynamic_cast<WhisperMLModel&>(*extractor).setModel(MLModel(melBackend));
    dynamic_cast<WhisperMLModel&>(*encoder).setModel(MLModel(encoderBackend));
    EXPECT_EQ(extractor->windowSamples(), 4);
    const auto mel = extractor->logMelSpectrogram(window);
    ASSERT_TRUE(mel);
    EXPECT_EQ((*mel)[1].floatValue(), 0.75F);
    const auto encoded = encoder->encodeFeatures(*mel);
    ASSERT_TRUE(encoded);
    EXPECT_EQ((*encoded)[2].floatValue(), -1.5F);
    EXPECT_EQ(melBackend->calls().at(0).inputs.at("audio").value.multiArrayValue()->count(), 4);
}

TEST(DefaultComponentsTests, TheAudioProcessorIsTheFrontEndsAndTheDecoderNeedsItsTokenizer) {
    EXPECT_NE(dynamic_cast<AudioProcessor*>(DefaultComponents::audioProcessor().get()), nullptr);
    const auto decoder = DefaultComponents::textDecoder();
    EXPECT_EQ(decoder->kvCacheEmbedDim(), std::nullopt);
    auto inputs = SizedDecoder().prepareDecoderInputs({51});
    GreedyTokenSampler sampler(0, 50, DecodingOptions());
    expectWhisperError(WhisperErrorKind::tokenizerUnavailable, "Tokenizer is unavailable", [&] {
        decoder->detectLanguage(MLMultiArray({1}, MLMultiArrayDataType::float32), *inputs, sampler, DecodingOptions(), 0);
    });
}

} // namespace
} // namespace hushframe
