#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "Hushframe/Core/Models/DecodingFallback.hpp"
#include "Hushframe/Core/Models/DecodingInputs.hpp"
#include "Hushframe/Core/Models/ModelInputs.hpp"
#include "Hushframe/Core/Models/ModelOutputs.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "Platform/CoreML/MLDictionaryFeatureProvider.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace hushframe {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

// Inputs as the text decoder prepares them, with masks of length S, every
// mask position first marked with `filler` so untouched positions show.
DecodingInputs inputs(std::int64_t s, double filler) {
    return DecodingInputs({50258}, MLMultiArray({1}, MLMultiArrayDataType::int32),
                          MLMultiArray({1}, MLMultiArrayDataType::int32, 7),
                          MLMultiArray({1, 4, 1, s}, MLMultiArrayDataType::float16, 0.5),
                          MLMultiArray({1, 4, 1, s}, MLMultiArrayDataType::float16),
                          MLMultiArray({s, 3}, MLMultiArrayDataType::float16),
                          MLMultiArray({1, s}, MLMultiArrayDataType::int32, filler),
                          MLMultiArray({1, s}, MLMultiArrayDataType::float16, filler));
}

TEST(DecodingInputsTests, ResetRewritesOnlyTheFirstMaxTokenContextPositions) {
    auto decoding = inputs(448, 5);
    decoding.reset(224);
    EXPECT_EQ(decoding.cacheLength()[0].doubleValue(), 0);
    EXPECT_EQ(decoding.kvCacheUpdateMask()[0].doubleValue(), 1);
    EXPECT_EQ(decoding.decoderKeyPaddingMask()[0].doubleValue(), 0);
    for (std::int64_t i = 1; i < 224; ++i) {
        ASSERT_EQ(decoding.kvCacheUpdateMask()[i].doubleValue(), 0) << i;
        ASSERT_EQ(decoding.decoderKeyPaddingMask()[i].doubleValue(), -10000) << i;
    }
    for (std::int64_t i = 224; i < 448; ++i) {
        ASSERT_EQ(decoding.kvCacheUpdateMask()[i].doubleValue(), 5) << i;
        ASSERT_EQ(decoding.decoderKeyPaddingMask()[i].doubleValue(), 5) << i;
    }
    // Caches and the prompt are left for the padding mask to hide.
    EXPECT_EQ(decoding.keyCache()[0].doubleValue(), 0.5);
    EXPECT_EQ(decoding.initialPrompt(), std::vector<int>{50258});
}

TEST(DecodingInputsTests, ResetOfOneTouchesOnlyPositionZero) {
    auto decoding = inputs(8, 5);
    decoding.reset(1);
    EXPECT_EQ(decoding.kvCacheUpdateMask()[0].doubleValue(), 1);
    EXPECT_EQ(decoding.decoderKeyPaddingMask()[0].doubleValue(), 0);
    EXPECT_EQ(decoding.cacheLength()[0].doubleValue(), 0);
    EXPECT_EQ(decoding.kvCacheUpdateMask()[1].doubleValue(), 5);
}

TEST(DecodingInputsTests, ResetOutsideTheMasksIsRefusedBeforeAnyWrite) {
    auto decoding = inputs(8, 5);
    EXPECT_THROW(decoding.reset(0), std::out_of_range);
    EXPECT_THROW(decoding.reset(9), std::out_of_range);
    EXPECT_EQ(decoding.cacheLength()[0].doubleValue(), 7);
    EXPECT_EQ(decoding.kvCacheUpdateMask()[0].doubleValue(), 5);
    decoding.reset(8);
    EXPECT_EQ(decoding.decoderKeyPaddingMask()[7].doubleValue(), -10000);
}

TEST(DecodingInputsTests, TensorsAreSharedWithTheirHolders) {
    const MLMultiArray ids({1}, MLMultiArrayDataType::int32);
    auto decoding = inputs(4, 0);
    decoding.setInputIds(ids);
    ids[0] = 42;
    EXPECT_EQ(decoding.inputIds()[0].doubleValue(), 42);
}

TEST(DecodingFallbackTests, FirstApplicableRuleDecides) {
    const DecodingOptions options;  // thresholds 2.4, -1.0, 0.6
    struct Case {
        const char* name;
        bool firstTokenTooLow;
        float noSpeech, compression, logProb;
        std::optional<DecodingFallback> expected;
    };
    const float nan = std::nanf("");
    const std::vector<Case> cases = {
        {"first token", true, 0.9F, 3, -2, DecodingFallback{true, "firstTokenLogProbThreshold"}},
        {"silence beats compression", false, 0.61F, 3, -2, DecodingFallback{false, "silence"}},
        {"compression", false, 0.1F, 2.5F, -2, DecodingFallback{true, "compressionRatioThreshold"}},
        {"log probability", false, 0.1F, 1, -1.01F, DecodingFallback{true, "logProbThreshold"}},
        {"all exactly at thresholds", false, 0.6F, 2.4F, -1.0F, std::nullopt},
        {"not a number matches nothing", false, nan, nan, nan, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodingFallback::make(options, c.firstTokenTooLow, c.noSpeech, c.compression, c.logProb), c.expected)
            << c.name;
    }
}

TEST(DecodingFallbackTests, AbsentThresholdSkipsOnlyItsRule) {
    const DecodingOptions noSilence({.noSpeechThreshold = std::nullopt});
    EXPECT_EQ(DecodingFallback::make(noSilence, false, 0.99F, 3, 0), (DecodingFallback{true, "compressionRatioThreshold"}));
    EXPECT_EQ(DecodingFallback::make(noSilence, false, 0.99F, 1, -3), (DecodingFallback{true, "logProbThreshold"}));
    const DecodingOptions none({.compressionRatioThreshold = std::nullopt, .logProbThreshold = std::nullopt,
                                .noSpeechThreshold = std::nullopt});
    EXPECT_FALSE(DecodingFallback::make(none, false, 1, 100, -100).has_value());
}

TEST(ModelRecordsTests, InputRecordsAnswerTheirFeatureNamesOnly) {
    const MLMultiArray embeds({1, 384, 1, 1500}, MLMultiArrayDataType::float16);
    const auto array = [] { return MLMultiArray({1}, MLMultiArrayDataType::int32); };
    const TextDecoderInput input(array(), array(), array(), array(), array(), embeds, array());
    EXPECT_EQ(input.featureNames().size(), 7U);
    const auto value = input.featureValue("encoder_output_embeds");
    ASSERT_TRUE(value.has_value());
    EXPECT_TRUE(value->multiArrayValue()->isIdentical(embeds));
    EXPECT_FALSE(input.featureValue("logits").has_value());

    const MelSpectrogramInput mel(MLMultiArray({480000}, MLMultiArrayDataType::float32));
    EXPECT_THAT(mel.featureNames(), ::testing::ElementsAre("audio"));
    EXPECT_TRUE(mel.featureValue("audio").has_value());
    EXPECT_FALSE(mel.featureValue("melspectrogram_features").has_value());
    const AudioEncoderInput encoder(MLMultiArray({1, 80, 1, 3000}, MLMultiArrayDataType::float16));
    EXPECT_TRUE(encoder.featureValue("melspectrogram_features").has_value());
}

TEST(ModelRecordsTests, OutputRecordsReadTheirFeaturesByName) {
    const MLMultiArray logits({1, 1, 51865}, MLMultiArrayDataType::float16);
    const MLMultiArray keys({1, 4, 1, 1}, MLMultiArrayDataType::float16);
    const MLMultiArray values({1, 4, 1, 1}, MLMultiArrayDataType::float16);
    const TextDecoderOutput output(logits, keys, values, MLMultiArray({1}, MLMultiArrayDataType::int32));
    EXPECT_THAT(output.featureNames(), ::testing::ElementsAre("key_cache_updates", "logits", "value_cache_updates"));
    EXPECT_TRUE(output.logits().isIdentical(logits));
    EXPECT_TRUE(output.value_cache_updates().isIdentical(values));
    EXPECT_FALSE(output.alignment_heads_weights().has_value());

    const AudioEncoderOutput encoder(MLMultiArray({1, 384, 1, 1500}, MLMultiArrayDataType::float16));
    EXPECT_EQ(encoder.encoder_output_embeds().shape()[1], 384);
    // A prediction without the feature is a clear error, not a crash.
    const MelSpectrogramOutput wrong(std::make_shared<platform::coreml::MLDictionaryFeatureProvider>(
        std::map<std::string, platform::coreml::MLFeatureValue>{{"other", platform::coreml::MLFeatureValue(keys)}}));
    EXPECT_THROW(wrong.melspectrogramFeatures(), WhisperError);
}

} // namespace
} // namespace hushframe
