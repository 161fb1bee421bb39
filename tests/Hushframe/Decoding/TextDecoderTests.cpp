#include "Hushframe/Core/WhisperError.hpp"
#include "Hushframe/Decoding/TextDecoder.hpp"
#include "tests/Hushframe/Core/ExpectWhisperError.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"
#include "tests/Hushframe/Decoding/ScriptedWhisper.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace hushframe {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using namespace hushframe::testing;

struct DecoderFixture {
    explicit DecoderFixture(WindowScripts scripts, DecoderShape shape = {}, bool multilingual = true)
        : model(std::move(scripts), shape) {
        decoder.setModel(model.model());
        decoder.setTokenizer(std::make_shared<ScriptTokenizer>());
        decoder.setIsModelMultilingual(multilingual);
    }

    std::shared_ptr<DecodingInputsType> prefilled(const DecodingOptions& options) {
        return decoder.prefillDecoderInputs(decoder.prepareDecoderInputs({sot}), options);
    }

    MLMultiArray encoderOutput(int window = 0) {
        MLMultiArray embeds({1, 2, 1, 8}, MLMultiArrayDataType::float16, 0.0);
        embeds[0] = window;
        return embeds;
    }

    DecodingResult decode(const DecodingOptions& options = DecodingOptions(), const TranscriptionCallback& callback = {}) {
        inputs = prefilled(options);
        GreedyTokenSampler sampler(0, endToken, options);
        return decoder.decodeText(encoderOutput(), *inputs, sampler, options, callback);
    }

    ScriptedDecoderModel model;
    TextDecoder decoder;
    std::shared_ptr<DecodingInputsType> inputs;
};

// The pass after the start-of-transcript token spreads its score over six
// tokens (log probability about -1.8); the sampled text itself is confident.
Attempt unsureStart() {
    Attempt attempt{{{1}, {2}}};
    attempt.language = 10;
    attempt.languageTies = 5;
    return attempt;
}

std::vector<int> with(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(TextDecoderTests, PrefillWritesTheForcedPrompt) {
    struct Case {
        const char* name;
        bool multilingual;
        std::optional<DecodingOptions> options;
        std::vector<int> expected;
    };
    std::vector<int> longPrompt;
    for (int i = 0; i < 150; ++i) longPrompt.push_back(i % 3 == 0 ? 45 : i % 40);
    std::vector<int> expectedPrevious{48};
    for (int i = 150 - 111; i < 150; ++i) {
        if (i % 3 != 0) expectedPrevious.push_back(i % 40);
    }
    std::vector<int> longPrefix(200, 9);
    const std::vector<Case> cases{
        {"no options", true, std::nullopt, {sot}},
        {"defaults", true, DecodingOptions(), {sot, en, transcribe, T}},
        {"English-only model", false, DecodingOptions({.withoutTimestamps = true}), {sot, noTimestamps}},
        {"unknown language falls back to English", true, DecodingOptions({.language = "xx-unknown"}),
         {sot, en, transcribe, T}},
        {"German translation", true, DecodingOptions({.task = DecodingTask::translate, .language = "de"}),
         {sot, de, 45, T}},
        {"previous text keeps its last 111 text tokens", true, DecodingOptions({.promptTokens = longPrompt}),
         with(expectedPrevious, {sot, en, transcribe, T})},
        {"empty previous text still adds the marker", true, DecodingOptions({.promptTokens = std::vector<int>{}}),
         {48, sot, en, transcribe, T}},
        {"prefix keeps its last 112", true, DecodingOptions({.prefixTokens = longPrefix}),
         with({sot, en, transcribe, T}, std::vector<int>(112, 9))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DecoderFixture fixture({}, {}, c.multilingual);
        const auto inputs = fixture.decoder.prefillDecoderInputs(fixture.decoder.prepareDecoderInputs({7, 8}), c.options);
        EXPECT_EQ(inputs->initialPrompt(), c.expected);
    }
    TextDecoder bare;
    testing::expectWhisperError(WhisperErrorKind::tokenizerUnavailable, "Tokenizer is unavailable", [&] {
        bare.prefillDecoderInputs(DecoderFixture({}).decoder.prepareDecoderInputs({sot}), DecodingOptions());
    });
}

TEST(TextDecoderTests, CacheUpdateWritesOneColumnAndTheNextAlignmentRow) {
    DecoderFixture fixture({});
    const auto inputs = std::dynamic_pointer_cast<DecodingInputs>(fixture.decoder.prepareDecoderInputs({sot}));
    MLMultiArray keys({1, 4, 1, 1}, MLMultiArrayDataType::float16, 1.5);
    MLMultiArray values({1, 4, 1, 1}, MLMultiArrayDataType::float16, -2.5);
    TextDecoder::updateKVCache(inputs->keyCache(), keys, inputs->valueCache(), values, 5);
    for (std::int64_t e = 0; e < 4; ++e) {
        for (std::int64_t s = 0; s < 224; ++s) {
            EXPECT_EQ((inputs->keyCache()[{0, e, 0, s}].floatValue()), s == 5 ? 1.5F : 0.0F);
            EXPECT_EQ((inputs->valueCache()[{0, e, 0, s}].floatValue()), s == 5 ? -2.5F : 0.0F);
        }
    }
    // Updates in another element type are converted, not copied byte for byte.
    MLMultiArray wideKeys({1, 4, 1, 1}, MLMultiArrayDataType::float32, 0.75);
    TextDecoder::updateKVCache(inputs->keyCache(), wideKeys, inputs->valueCache(), wideKeys, 6);
    EXPECT_EQ((inputs->keyCache()[{0, 3, 0, 6}].floatValue()), 0.75F);
    MLMultiArray row({1, 8}, MLMultiArrayDataType::float16, 0.25);
    TextDecoder::updateAlignmentWeights(inputs->alignmentWeights(), row, 5);
    EXPECT_EQ((inputs->alignmentWeights()[{6, 7}].floatValue()), 0.25F);
    EXPECT_EQ((inputs->alignmentWeights()[{5, 7}].floatValue()), 0.0F);
}

TEST(TextDecoderTests, DecodesTheScriptedTokensThroughTheCache) {
    DecoderFixture fixture({{0, {Attempt{{{1}, {2}, {T + 50}}}}}});
    const auto result = fixture.decode();
    EXPECT_EQ(result.tokens, (std::vector<int>{sot, en, transcribe, T, 1, 2, T + 50, endToken}));
    EXPECT_EQ(result.text, "<|startoftranscript|><|en|><|transcribe|><|0.00|> Hello world<|1.00|><|endoftext|>");
    EXPECT_EQ(result.language, "en");
    EXPECT_NEAR(result.avgLogProb, 0, 1e-3);
    EXPECT_FALSE(result.fallback);
    EXPECT_LT(result.noSpeechProb, 0.01F);
    // Seven passes: three prompt passes, then one per sampled token until the end token.
    EXPECT_EQ(fixture.model.backend().callCount(), 7u);
    const auto& inputs = dynamic_cast<const DecodingInputs&>(*fixture.inputs);
    EXPECT_EQ(inputs.cacheLength()[0].int32Value(), 6);
    for (std::int64_t s = 0; s < 8; ++s) {
        EXPECT_EQ((inputs.keyCache()[{0, 2, 0, s}].floatValue()), s < 6 ? static_cast<float>(s) : 0.0F) << s;
        EXPECT_EQ(inputs.kvCacheUpdateMask()[s].int32Value(), s == 6 ? 1 : 0) << s;
        EXPECT_EQ(inputs.decoderKeyPaddingMask()[s].floatValue(), s <= 6 ? 0.0F : -10000.0F) << s;
    }
    ASSERT_TRUE(result.cache && result.cache->alignmentWeights);
    EXPECT_EQ(((*result.cache->alignmentWeights)[{4, 3}].floatValue()), 1.0F);
}

TEST(TextDecoderTests, DebugLogShowsThePromptAndTheFirstCachePositions) {
    DecoderFixture fixture({{0, {Attempt{{{1}, {T + 10}}}}}});
    const testing::PackageLogCapture capture;
    fixture.decode();
    const auto messages = capture.messages();
    const auto count = [&](const std::string& prefix) {
        return std::count_if(messages.begin(), messages.end(), [&](const std::string& m) { return m.starts_with(prefix); });
    };
    EXPECT_EQ(count("Forcing prompt tokenIndex: "), 4);
    EXPECT_EQ(count("--------------- DECODER INPUTS DEBUG"), 4);
    EXPECT_EQ(count("Cache Length:  0 Input Token:   41"), 1);
    EXPECT_EQ(count("Completed window: <|startoftranscript|>"), 1);
    EXPECT_EQ(count(" 0.000000 |  0.000000 |  0.000000 |           1 |            0 | 0"), 1);
}

TEST(TextDecoderTests, QualityVerdicts) {
    struct Case {
        const char* name;
        Attempt attempt;
        DecodingOptions options;
        std::optional<DecodingFallback> expected;
    };
    std::vector<Step> repeated(60, Step{9});
    const std::vector<Case> cases{
        {"unlikely first prediction", unsureStart(), DecodingOptions(),
         DecodingFallback{true, "firstTokenLogProbThreshold"}},
        {"unlikely later token only lowers the average", Attempt{{{1}, {2, 0, 5}, {T + 10}}},
         DecodingOptions({.logProbThreshold = -0.1F}), DecodingFallback{true, "logProbThreshold"}},
        {"repetition", Attempt{repeated}, DecodingOptions(), DecodingFallback{true, "compressionRatioThreshold"}},
        {"the model's no-speech score makes silence", Attempt{{{1}, {T + 10}}, 8.0F}, DecodingOptions(),
         DecodingFallback{false, "silence"}},
        {"silence comes before repetition", Attempt{repeated, 8.0F}, DecodingOptions(),
         DecodingFallback{false, "silence"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DecoderFixture fixture({{0, {c.attempt}}});
        EXPECT_EQ(fixture.decode(c.options).fallback, c.expected);
    }
}

TEST(TextDecoderTests, TheFirstTokenCheckJudgesThePassAtTheStartPositionAndStopsAtOnce) {
    DecoderFixture fixture({{0, {unsureStart()}}});
    const auto result = fixture.decode();
    EXPECT_EQ(result.tokens, (std::vector<int>{sot, en, transcribe, T, endToken}));
}

TEST(TextDecoderTests, NoSpeechProbabilityIsTheModelsScoreAfterTheStartToken) {
    DecoderFixture fixture({{0, {Attempt{{{1}, {T + 10}}, 4.0F}}}});
    const auto result = fixture.decode();
    // At the start position the no-speech and language tokens both score 4; the rest -10.
    const double expected = 1.0 / (2.0 + (vocabularySize - 2) * std::exp(-14.0));
    EXPECT_NEAR(result.noSpeechProb, expected, 1e-4);
}

TEST(TextDecoderTests, ThePassesStopBeforeTheCacheEnds) {
    std::vector<Step> endless;
    for (int i = 0; i < 40; ++i) endless.push_back({1 + i % 30});
    DecoderFixture fixture({{0, {Attempt{endless}}}}, DecoderShape{.cacheLength = 16});
    const auto result = fixture.decode(DecodingOptions({.compressionRatioThreshold = std::nullopt}));
    // Fifteen passes write columns 0 to 14 and open column 15, the last one.
    EXPECT_EQ(fixture.model.backend().callCount(), 15u);
    EXPECT_EQ(result.tokens.size(), 4u + 12u + 1u);
}

TEST(TextDecoderTests, AGivenLanguageIsTheResultsLanguage) {
    DecoderFixture fixture({{0, {Attempt{{{1}, {T + 10}}}}}});
    const auto result = fixture.decode(DecodingOptions({.language = "de"}));
    EXPECT_EQ(result.language, "de");
    EXPECT_EQ(result.languageProbs, (std::map<std::string, float>{{"de", 0.0F}}));
    EXPECT_EQ(result.tokens[1], de);
}

TEST(TextDecoderTests, ACallbackAnsweringFalseStopsTheWindow) {
    std::vector<Step> steps;
    for (int i = 1; i < 20; ++i) steps.push_back({i});
    DecoderFixture fixture({{0, {Attempt{steps}}}});
    std::vector<std::size_t> seen;
    const auto result = fixture.decode(DecodingOptions({.compressionRatioThreshold = std::nullopt}),
                                       [&](const TranscriptionProgress& progress) -> std::optional<bool> {
                                           seen.push_back(progress.tokens.size());
                                           return progress.tokens.size() < 7;
                                       });
    EXPECT_EQ(result.tokens, (std::vector<int>{sot, en, transcribe, T, 1, 2, 3, endToken}));
    // Prompt passes report too (their answers are ignored).
    EXPECT_EQ(seen.front(), 4u);
}

TEST(TextDecoderTests, LanguageDetection) {
    struct Case {
        const char* name;
        int language;
        std::string expected;
        std::string probabilityKey;
    };
    const std::vector<Case> cases{{"German", de, "de", "de"}, {"unsupported code", unsupportedLanguage, "en", "xx"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Attempt attempt;
        attempt.language = c.language;
        DecoderFixture fixture({{0, {attempt}}});
        auto inputs = fixture.decoder.prepareDecoderInputs({sot});
        inputs->cacheLength()[0] = 40;
        GreedyTokenSampler sampler(0, endToken, DecodingOptions());
        const auto result = fixture.decoder.detectLanguage(fixture.encoderOutput(), *inputs, sampler, DecodingOptions(), 0);
        EXPECT_EQ(result.language, c.expected);
        ASSERT_EQ(result.languageProbs.size(), 1u);
        EXPECT_EQ(result.languageProbs.begin()->first, c.probabilityKey);
        EXPECT_TRUE(result.tokens.empty());
        EXPECT_FALSE(result.fallback);
        EXPECT_EQ(inputs->cacheLength()[0].int32Value(), 0);
        EXPECT_EQ(inputs->inputIds()[0].int32Value(), sot);
    }
    TextDecoder unloaded;
    unloaded.setTokenizer(std::make_shared<ScriptTokenizer>());
    GreedyTokenSampler sampler(0, endToken, DecodingOptions());
    auto inputs = DecoderFixture({}).decoder.prepareDecoderInputs({sot});
    testing::expectWhisperError(WhisperErrorKind::modelsUnavailable, "Failed to read logits size from model", [&] {
        unloaded.detectLanguage(MLMultiArray({1}, MLMultiArrayDataType::float16), *inputs, sampler, DecodingOptions(), 0);
    });
}

} // namespace
} // namespace hushframe
