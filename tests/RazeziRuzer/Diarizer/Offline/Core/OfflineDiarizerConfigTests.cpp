#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizerConfig.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace razeziruzer {
namespace {

using Config = OfflineDiarizerConfig;
using Kind = OfflineDiarizationErrorKind;

TEST(OfflineDiarizerConfigTests, DefaultIsTheCommunityPresetAndValid) {
    const auto config = Config::defaultConfig();
    EXPECT_NO_THROW(config.validate());
    EXPECT_EQ(config.samplesPerWindow(), 160000);
    EXPECT_EQ(config.samplesPerStep(), 32000);
    EXPECT_DOUBLE_EQ(config.clustering.threshold, 0.6);
    EXPECT_DOUBLE_EQ(config.clustering.warmStartFa, 0.07);
    EXPECT_DOUBLE_EQ(config.clustering.warmStartFb, 0.8);
    EXPECT_EQ(config.embedding.batchSize, 32);
    EXPECT_TRUE(config.embedding.excludeOverlap);
    EXPECT_EQ(config.embedding.skipStrategy.kind, Config::EmbeddingSkipStrategy::Kind::none);
    EXPECT_EQ(config.vbx.maxIterations, 20);
    EXPECT_DOUBLE_EQ(config.postProcessing.minGapDurationSeconds, 0.1);
    EXPECT_FALSE(config.exportSettings.embeddingsPath.has_value());
    EXPECT_FALSE(config.exposeChunkEmbeddings);
}

struct ValidationCase {
    const char* name;
    std::function<void(Config&)> change;
    Kind kind;
    const char* description;  // empty: the configuration is valid
};

class OfflineDiarizerConfigValidation : public testing::TestWithParam<ValidationCase> {};

TEST_P(OfflineDiarizerConfigValidation, ReportsTheFirstBrokenRule) {
    auto config = Config::defaultConfig();
    GetParam().change(config);
    if (std::string(GetParam().description).empty()) {
        EXPECT_NO_THROW(config.validate());
        return;
    }
    try {
        config.validate();
        FAIL() << "no error";
    } catch (const OfflineDiarizationError& error) {
        EXPECT_EQ(error.kind(), GetParam().kind);
        EXPECT_EQ(error.description(), GetParam().description);
    }
}

const double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Rules, OfflineDiarizerConfigValidation,
    testing::Values(
        ValidationCase{"thresholdSqrt2", [](Config& c) { c.clustering.threshold = 1.4142135623730951; }, Kind{}, ""},
        ValidationCase{"thresholdZero", [](Config& c) { c.clustering.threshold = 0; }, Kind::invalidConfiguration,
                       "Invalid configuration: clustering.threshold must be within (0, sqrt(2)], got 0.0"},
        ValidationCase{"thresholdAboveSqrt2", [](Config& c) { c.clustering.threshold = std::nextafter(std::sqrt(2.0), 2.0); },
                       Kind::invalidConfiguration,
                       "Invalid configuration: clustering.threshold must be within (0, sqrt(2)], got 1.4142135623730954"},
        ValidationCase{"thresholdNaN", [](Config& c) { c.clustering.threshold = nan; }, Kind::invalidConfiguration,
                       "Invalid configuration: clustering.threshold must be within (0, sqrt(2)], got nan"},
        ValidationCase{"thresholdReportedBeforeBatch",
                       [](Config& c) {
                           c.clustering.threshold = 0;
                           c.embedding.batchSize = 0;
                       },
                       Kind::invalidConfiguration,
                       "Invalid configuration: clustering.threshold must be within (0, sqrt(2)], got 0.0"},
        ValidationCase{"faZero", [](Config& c) { c.clustering.warmStartFa = 0; }, Kind::invalidConfiguration,
                       "Invalid configuration: clustering warm-start Fa/Fb must be positive (Fa=0.0, Fb=0.8)"},
        ValidationCase{"window", [](Config& c) { c.segmentation.windowDurationSeconds = -1; },
                       Kind::invalidConfiguration,
                       "Invalid configuration: segmentation.windowDurationSeconds must be positive, got -1.0"},
        ValidationCase{"sampleRate", [](Config& c) { c.segmentation.sampleRate = 0; }, Kind::invalidConfiguration,
                       "Invalid configuration: sampleRate must be positive"},
        ValidationCase{"stepRatioOne", [](Config& c) { c.segmentation.stepRatio = 1.0; }, Kind{}, ""},
        ValidationCase{"stepRatio", [](Config& c) { c.segmentation.stepRatio = 1.5; }, Kind::invalidConfiguration,
                       "Invalid configuration: segmentation.stepRatio must be within (0, 1], got 1.5"},
        ValidationCase{"batch32", [](Config& c) { c.embedding.batchSize = 32; }, Kind{}, ""},
        ValidationCase{"batch33", [](Config& c) { c.embedding.batchSize = 33; }, Kind::invalidBatchSize,
                       "Invalid batch size: embeddingBatchSize must be <= 32 to fit PLDA batch limits"},
        ValidationCase{"batch0", [](Config& c) { c.embedding.batchSize = 0; }, Kind::invalidBatchSize,
                       "Invalid batch size: embeddingBatchSize must be > 0"},
        ValidationCase{"iterations", [](Config& c) { c.vbx.maxIterations = 0; }, Kind::invalidConfiguration,
                       "Invalid configuration: maxVBxIterations must be > 0, got 0"},
        ValidationCase{"tolerance", [](Config& c) { c.vbx.convergenceTolerance = nan; }, Kind::invalidConfiguration,
                       "Invalid configuration: convergenceTolerance must be positive"},
        ValidationCase{"minSegment", [](Config& c) { c.embedding.minSegmentDurationSeconds = -0.1; },
                       Kind::invalidConfiguration, "Invalid configuration: embedding.minSegmentDuration must be >= 0"},
        ValidationCase{"minGap", [](Config& c) { c.postProcessing.minGapDurationSeconds = -1; },
                       Kind::invalidConfiguration, "Invalid configuration: minGapDuration must be >= 0"},
        ValidationCase{"minOn", [](Config& c) { c.segmentation.minDurationOn = -1; }, Kind::invalidConfiguration,
                       "Invalid configuration: segmentation.minDurationOn must be >= 0"},
        ValidationCase{"minOff", [](Config& c) { c.segmentation.minDurationOff = nan; }, Kind::invalidConfiguration,
                       "Invalid configuration: segmentation.minDurationOff must be >= 0"},
        ValidationCase{"onset", [](Config& c) { c.segmentation.speechOnsetThreshold = 1.1f; },
                       Kind::invalidConfiguration,
                       "Invalid configuration: speechOnsetThreshold must be within [0, 1], got 1.1"},
        ValidationCase{"offsetAboveOnset",
                       [](Config& c) {
                           c.segmentation.speechOnsetThreshold = 0.4f;
                           c.segmentation.speechOffsetThreshold = 0.5f;
                       },
                       Kind::invalidConfiguration,
                       "Invalid configuration: speechOffsetThreshold must be within [0, speechOnsetThreshold], got 0.5"},
        ValidationCase{"offsetEqualsOnset", [](Config& c) { c.segmentation.speechOffsetThreshold = 0.5f; }, Kind{},
                       ""}),
    [](const testing::TestParamInfo<ValidationCase>& info) { return std::string(info.param.name); });

TEST(OfflineDiarizerConfigTests, StepNeverDropsBelowOneSample) {
    auto config = Config::defaultConfig();
    config.segmentation.stepRatio = 1.0;
    EXPECT_EQ(config.samplesPerStep(), config.samplesPerWindow());
    config.segmentation.stepRatio = 1e-9;
    EXPECT_EQ(config.samplesPerStep(), 1);
    config.segmentation.sampleRate = 16000;
    config.segmentation.windowDurationSeconds = 0.00009;  // 1.44 samples truncate to 1
    EXPECT_EQ(config.samplesPerWindow(), 1);
}

TEST(OfflineDiarizerConfigTests, SpeakerShortcutsReplaceAllThreeCounts) {
    const auto ranged = Config::defaultConfig().withSpeakers(2, 5);
    EXPECT_EQ(ranged.clustering.minSpeakers, 2);
    EXPECT_EQ(ranged.clustering.maxSpeakers, 5);
    EXPECT_FALSE(ranged.clustering.numSpeakers.has_value());

    const auto exact = ranged.withSpeakersExactly(3);
    EXPECT_EQ(exact.clustering.numSpeakers, 3);
    EXPECT_FALSE(exact.clustering.minSpeakers.has_value());
    EXPECT_FALSE(exact.clustering.maxSpeakers.has_value());

    const auto cleared = exact.withSpeakers(std::nullopt, std::nullopt);
    EXPECT_FALSE(cleared.clustering.numSpeakers || cleared.clustering.minSpeakers || cleared.clustering.maxSpeakers);
    auto rest = cleared;
    rest.clustering = Config::Clustering::community();
    EXPECT_EQ(rest, Config::defaultConfig());
}

TEST(OfflineDiarizerConfigTests, FlatSettingsReachTheirStages) {
    Config::Flat flat{};
    flat.clusteringThreshold = 0.7;
    flat.Fa = 0.1;
    flat.Fb = 0.9;
    flat.windowDuration = 5.0;
    flat.sampleRate = 8000;
    flat.segmentationStepRatio = 0.5;
    flat.embeddingBatchSize = 16;
    flat.embeddingExcludeOverlap = false;
    flat.embeddingSkipStrategy = Config::EmbeddingSkipStrategy::maskSimilarity(0.9f);
    flat.minSegmentDuration = 0.5;
    flat.minGapDuration = 0.2;
    flat.exclusiveSegments = false;
    flat.speechOnsetThreshold = 0.6f;
    flat.speechOffsetThreshold = 0.4f;
    flat.segmentationMinDurationOn = 0.3;
    flat.segmentationMinDurationOff = 0.25;
    flat.maxVBxIterations = 7;
    flat.convergenceTolerance = 0.01;
    flat.embeddingExportPath = "/tmp/e.json";
    const auto config = Config::fromFlat(flat);
    EXPECT_DOUBLE_EQ(config.clustering.threshold, 0.7);
    EXPECT_DOUBLE_EQ(config.clustering.warmStartFa, 0.1);
    EXPECT_DOUBLE_EQ(config.clustering.warmStartFb, 0.9);
    EXPECT_EQ(config.segmentation, (Config::Segmentation{5.0, 8000, 0.3, 0.25, 0.5, 0.6f, 0.4f}));
    EXPECT_EQ(config.embedding,
              (Config::Embedding{16, false, 0.5, Config::EmbeddingSkipStrategy::maskSimilarity(0.9f)}));
    EXPECT_EQ(config.vbx, (Config::VBx{7, 0.01}));
    EXPECT_EQ(config.postProcessing, (Config::PostProcessing{0.2, false}));
    EXPECT_EQ(config.exportSettings.embeddingsPath, "/tmp/e.json");
    EXPECT_FALSE(config.clustering.numSpeakers || config.clustering.minSpeakers || config.clustering.maxSpeakers);
}

TEST(OfflineDiarizerConfigTests, ErrorDescriptions) {
    EXPECT_EQ(OfflineDiarizationError::noSpeechDetected().description(), "No speech detected in audio");
    EXPECT_EQ(OfflineDiarizationError::modelNotLoaded("offline-diarizer").description(),
              "Model not loaded: offline-diarizer");
    EXPECT_EQ(OfflineDiarizationError::processingFailed("x").description(), "Processing failed: x");
    EXPECT_EQ(OfflineDiarizationError::exportFailed("y").description(), "Failed to export data: y");
    EXPECT_EQ(OfflineDiarizationError::exportFailed("y").message(), "y");
}

} // namespace
} // namespace razeziruzer
