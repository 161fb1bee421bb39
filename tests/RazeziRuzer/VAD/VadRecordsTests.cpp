#include "RazeziRuzer/VAD/VadConfig.hpp"
#include "RazeziRuzer/VAD/VadError.hpp"
#include "RazeziRuzer/VAD/VadSegment.hpp"
#include "RazeziRuzer/VAD/VadSegmentationConfig.hpp"
#include "RazeziRuzer/VAD/VadStream.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace razeziruzer {
namespace {

TEST(VadRecordsTests, DefaultsAndDerivedSampleCounts) {
    const auto config = VadConfig::default_();
    EXPECT_FLOAT_EQ(config.defaultThreshold, 0.85f);
    EXPECT_FALSE(config.debugMode);
    EXPECT_EQ(config.computeUnits, platform::coreml::MLComputeUnits::cpuAndNeuralEngine);

    const auto segmentation = VadSegmentationConfig::default_();
    EXPECT_EQ(vadDurationSamples(segmentation.minSpeechDuration, "a"), 2400);
    EXPECT_EQ(vadDurationSamples(segmentation.minSilenceDuration, "b"), 12000);
    EXPECT_EQ(vadDurationSamples(segmentation.speechPadding, "c"), 1600);
    EXPECT_EQ(vadDurationSamples(segmentation.minSilenceAtMaxSpeech, "d"), 1568);
    EXPECT_FALSE(segmentation.negativeThreshold.has_value());
    EXPECT_TRUE(segmentation.useMaxPossibleSilenceAtMaxSpeech);
}

TEST(VadRecordsTests, ThresholdPairs) {
    struct Case {
        const char* name;
        float defaultThreshold;
        std::optional<float> negative;
        float offset;
        float positive;
        float expectedNegative;
    };
    const Case cases[] = {
        {"defaults", 0.85f, std::nullopt, 0.15f, 0.85f, 0.85f - 0.15f},
        {"configured negative", 0.85f, 0.35f, 0.15f, 0.5f, 0.35f},
        {"positive capped at one", 0.85f, 0.9f, 0.15f, 1.0f, 0.9f},
        {"negative floored at 0.01", 0.1f, std::nullopt, 0.15f, 0.1f, 0.01f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VadSegmentationConfig config;
        config.negativeThreshold = c.negative;
        config.negativeThresholdOffset = c.offset;
        const auto pair = config.thresholds(c.defaultThreshold);
        EXPECT_FLOAT_EQ(pair.positive, c.positive);
        EXPECT_FLOAT_EQ(pair.negative, c.expectedNegative);
    }
    VadSegmentationConfig config;
    EXPECT_FLOAT_EQ(config.effectiveNegativeThreshold(0.1f), 0.01f);
}

TEST(VadRecordsTests, MakeRefusesValuesOutsideTheirRanges) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        VadSegmentationConfig values;
        const char* field;  // nullptr: accepted
    };
    const auto with = [](auto change) {
        VadSegmentationConfig config;
        change(config);
        return config;
    };
    const Case cases[] = {
        {"defaults", {}, nullptr},
        {"zero durations", with([](auto& c) { c.minSpeechDuration = c.minSilenceDuration = c.speechPadding = 0; }),
         nullptr},
        {"infinite maximum", with([](auto& c) { c.maxSpeechDuration = INFINITY; }), nullptr},
        {"negative min speech", with([](auto& c) { c.minSpeechDuration = -0.1; }), "minSpeechDuration"},
        {"NaN min silence", with([nan](auto& c) { c.minSilenceDuration = nan; }), "minSilenceDuration"},
        {"zero maximum", with([](auto& c) { c.maxSpeechDuration = 0; }), "maxSpeechDuration"},
        {"negative padding", with([](auto& c) { c.speechPadding = -1; }), "speechPadding"},
        {"split threshold above one", with([](auto& c) { c.silenceThresholdForSplit = 1.5f; }),
         "silenceThresholdForSplit"},
        {"negative threshold NaN", with([](auto& c) { c.negativeThreshold = std::nanf(""); }), "negativeThreshold"},
        {"negative offset", with([](auto& c) { c.negativeThresholdOffset = -0.1f; }), "negativeThresholdOffset"},
        {"negative split silence", with([](auto& c) { c.minSilenceAtMaxSpeech = -1; }), "minSilenceAtMaxSpeech"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto& v = c.values;
        const auto make = [&] {
            return VadSegmentationConfig::make(v.minSpeechDuration, v.minSilenceDuration, v.maxSpeechDuration,
                                               v.speechPadding, v.silenceThresholdForSplit, v.negativeThreshold,
                                               v.negativeThresholdOffset, v.minSilenceAtMaxSpeech,
                                               v.useMaxPossibleSilenceAtMaxSpeech);
        };
        if (!c.field) {
            EXPECT_NO_THROW(make());
            continue;
        }
        try {
            make();
            ADD_FAILURE() << "accepted";
        } catch (const VadError& error) {
            EXPECT_EQ(error.kind(), VadErrorKind::invalidConfiguration);
            EXPECT_NE(error.message().find(c.field), std::string::npos) << error.message();
        }
    }
}

TEST(VadRecordsTests, SegmentSampleArithmetic) {
    const VadSegment segment{1.5, 2.0};
    EXPECT_DOUBLE_EQ(segment.duration(), 0.5);
    EXPECT_EQ(segment.sampleCount(16000), 8000);
    EXPECT_EQ(segment.startSample(16000), 24000);
    // Two truncations, then the difference.
    const VadSegment uneven{0.00009, 0.00016};
    EXPECT_EQ(uneven.startSample(16000), 1);
    EXPECT_EQ(uneven.endSample(16000), 2);
    EXPECT_EQ(uneven.sampleCount(16000), 1);
    const VadSegment huge{-INFINITY, INFINITY};
    EXPECT_EQ(huge.startSample(16000), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(huge.sampleCount(16000), std::numeric_limits<std::int64_t>::max());
}

TEST(VadRecordsTests, InitialStatesAndErrorTexts) {
    const auto state = VadStreamState::initial();
    EXPECT_EQ(state.modelState.hiddenState, std::vector<float>(128, 0.0f));
    EXPECT_EQ(state.modelState.cellState, std::vector<float>(128, 0.0f));
    EXPECT_EQ(state.modelState.context, std::vector<float>(64, 0.0f));
    EXPECT_FALSE(state.triggered);
    EXPECT_FALSE(state.tempEndSample.has_value());
    EXPECT_EQ(state.processedSamples, 0);

    EXPECT_EQ(VadError::modelProcessingFailed("x").description(), "Model processing failed: x");
    EXPECT_EQ(VadError::notInitialized().description(), "VAD system not initialized");
    EXPECT_EQ(VadError::modelLoadingFailed().description(), "Failed to load VAD model");
    EXPECT_TRUE((VadStreamEvent{VadStreamEvent::Kind::speechEnd, 0, std::nullopt}.isEnd()));
}

} // namespace
} // namespace razeziruzer
