#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcKeywordSpotter.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/ScriptedCtcModels.hpp"

#include <gtest/gtest.h>

using namespace razeziruzer;

namespace {

CustomVocabularyContext zoviri() {
    CustomVocabularyContext vocabulary;
    vocabulary.terms = {CustomVocabularyTerm("Zoviri", std::nullopt, std::nullopt, std::nullopt,
                                             std::vector<std::int64_t>{0, 1, 2})};
    return vocabulary;
}

TEST(CtcKeywordSpotter, OneSecondOfAudioKeepsTheFramesItCovers) {
    const CtcKeywordSpotter spotter(scriptedctc::models(), scriptedctc::blankId);
    const auto audio = scriptedctc::codedAudio(16000, {{3, 0}, {4, 1}, {5, 2}});
    const auto result = spotter.spotKeywordsWithLogProbs(audio, zoviri(), std::nullopt);
    EXPECT_EQ(result.totalFrames, 13);
    EXPECT_EQ(result.logProbs.size(), 13u);
    EXPECT_DOUBLE_EQ(result.frameDuration, 16000.0 / 13.0 / 16000.0);
    ASSERT_EQ(result.detections.size(), 1u);
    const auto& found = result.detections[0];
    EXPECT_EQ(found.startFrame, 3);
    EXPECT_EQ(found.endFrame, 6);
    EXPECT_NEAR(found.score, 0.0f, 1e-3);
    EXPECT_DOUBLE_EQ(found.startTime, 3 * result.frameDuration);
    // Each frame is a normalised distribution over the three tokens and the blank.
    float sum = 0;
    for (const float value : result.logProbs[0]) sum += std::exp(value);
    EXPECT_NEAR(sum, 1.0f, 1e-5);
}

TEST(CtcKeywordSpotter, FeedsTheFrontEndAZeroPaddedWindowOfTheDeclaredForm) {
    struct Case {
        const char* name;
        bool rank2;
        platform::coreml::MLMultiArrayDataType type;
    };
    for (const auto& c : std::vector<Case>{{"rank 1 float32", false, platform::coreml::MLMultiArrayDataType::float32},
                                           {"rank 2 float16", true, platform::coreml::MLMultiArrayDataType::float16}}) {
        scriptedctc::Options options;
        options.audioRank2 = c.rank2;
        options.audioType = c.type;
        auto frontEnd = scriptedctc::frontEnd(options);
        CtcModels models{platform::coreml::MLModel(frontEnd), platform::coreml::MLModel(scriptedctc::encoder(options)),
                         CtcModels::defaultConfiguration(), scriptedctc::vocabulary(), CtcModelVariant::ctc110m};
        const CtcKeywordSpotter spotter(std::move(models), scriptedctc::blankId);
        spotter.spotKeywordsWithLogProbs(std::vector<float>(1000, 0.5f), zoviri(), std::nullopt);
        ASSERT_EQ(frontEnd->callCount(), 1u) << c.name;
        const auto call = frontEnd->calls()[0];
        const auto audio = *call.inputs.at("audio").value.multiArrayValue();
        EXPECT_EQ(audio.shape(), c.rank2 ? std::vector<std::int64_t>({1, 240000}) : std::vector<std::int64_t>({240000})) << c.name;
        EXPECT_EQ(audio.dataType(), c.type) << c.name;
        EXPECT_EQ(audio[999].doubleValue(), 0.5) << c.name;
        double padding = 0;
        for (std::int64_t i = 1000; i < 240000; ++i) padding += std::abs(audio[i].doubleValue());
        EXPECT_EQ(padding, 0.0) << c.name;
        EXPECT_EQ((*call.inputs.at("audio_length").value.multiArrayValue())[0].int32Value(), 1000) << c.name;
    }
}

TEST(CtcKeywordSpotter, LongAudioIsJoinedFromOverlappingWindows) {
    scriptedctc::Options options;
    auto frontEnd = scriptedctc::frontEnd(options);
    CtcModels models{platform::coreml::MLModel(frontEnd), platform::coreml::MLModel(scriptedctc::encoder(options)),
                     CtcModels::defaultConfiguration(), scriptedctc::vocabulary(), CtcModelVariant::ctc110m};
    const CtcKeywordSpotter spotter(std::move(models), scriptedctc::blankId);

    EXPECT_EQ(spotter.computeLogProbs(std::vector<float>(240000, 0.0f)).totalFrames, 188);
    EXPECT_EQ(frontEnd->callCount(), 1u);

    // The term sits in frames 100-102 of the second window, which starts at sample 208000.
    auto audio = std::vector<float>(240001 + 200000, 0.0f);
    const auto second = scriptedctc::codedAudio(440001 - 208000, {{100, 0}, {101, 1}, {102, 2}});
    std::copy(second.begin(), second.end(), audio.begin() + 208000);
    const auto result = spotter.spotKeywordsWithLogProbs(audio, zoviri(), -5.0f);
    const auto calls = frontEnd->calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ((*calls[1].inputs.at("audio_length").value.multiArrayValue())[0].int32Value(), 240000);
    EXPECT_EQ((*calls[2].inputs.at("audio_length").value.multiArrayValue())[0].int32Value(), 440001 - 208000);
    const double duration = 240000.0 / 188.0 / 16000.0;
    EXPECT_DOUBLE_EQ(result.frameDuration, duration);
    // 25 overlap frames: the second window adds its frames after the first 25.
    const auto secondFrames = static_cast<std::int64_t>(std::ceil(232001.0 / (240000.0 / 188.0)));
    EXPECT_EQ(result.totalFrames, 188 + secondFrames - 25);
    ASSERT_EQ(result.detections.size(), 1u);
    EXPECT_EQ(result.detections[0].startFrame, 188 - 25 + 100);
    EXPECT_NEAR(result.detections[0].startTime, (188 - 25 + 100) * duration, 1e-9);
}

TEST(CtcKeywordSpotter, ReadsEveryLayoutOfTheModelOutputs) {
    struct Case {
        const char* name;
        scriptedctc::Options options;
    };
    scriptedctc::Options rank4;
    rank4.rank4Mel = true;
    scriptedctc::Options fallback;
    fallback.headName = "ctc_head_output";
    scriptedctc::Options tokensFirst;
    tokensFirst.tokensFirst = true;
    scriptedctc::Options noMelLength;
    noMelLength.reportMelLength = false;
    for (const auto& c : std::vector<Case>{{"rank-4 mel features", rank4},
                                           {"ctc_head_output only", fallback},
                                           {"rank-4 head", tokensFirst},
                                           {"no mel_length output", noMelLength}}) {
        const CtcKeywordSpotter spotter(scriptedctc::models(c.options), scriptedctc::blankId);
        const auto audio = scriptedctc::codedAudio(240000, {{7, 0}, {8, 1}, {9, 2}});
        const auto result = spotter.spotKeywordsWithLogProbs(audio, zoviri(), std::nullopt);
        EXPECT_EQ(result.totalFrames, 188) << c.name;
        ASSERT_EQ(result.detections.size(), 1u) << c.name;
        EXPECT_EQ(result.detections[0].startFrame, 7) << c.name;
    }
}

TEST(CtcKeywordSpotter, ReportsMalformedModelOutputs) {
    scriptedctc::Options rank2;
    rank2.headShapeOverride = [] { return std::vector<std::int64_t>{188, 4}; };
    const CtcKeywordSpotter spotter(scriptedctc::models(rank2), scriptedctc::blankId);
    try {
        spotter.computeLogProbs(std::vector<float>(100, 0.0f));
        FAIL();
    } catch (const ASRError& error) {
        EXPECT_EQ(error.description(), "ASR processing failed: Unexpected CTC output rank: [188, 4]");
    }
    const CtcKeywordSpotter empty(scriptedctc::models(), scriptedctc::blankId);
    EXPECT_TRUE(empty.spotKeywordsWithLogProbs({}, zoviri(), std::nullopt).logProbs.empty());
    const auto noTerms = empty.spotKeywordsWithLogProbs(std::vector<float>(16000, 0.0f), {}, std::nullopt);
    EXPECT_TRUE(noTerms.detections.empty());
    EXPECT_EQ(noTerms.totalFrames, 13);
}

} // namespace
