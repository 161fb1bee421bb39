#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedConfig.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedEncoderPrecision.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedModelFiles.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace razeziruzer {
namespace {

using platform::coreml::MLComputeUnits;
using platform::coreml::MLModelConfiguration;
using Mode = UnifiedModelFiles::Mode;

TEST(UnifiedConfigTests, StandardGeometryAndAnotherOne) {
    const UnifiedConfig standard;
    EXPECT_EQ(standard, (UnifiedConfig{70, 13, 13, 16000, 1280, 128, 2, 640, 1024, 10}));
    EXPECT_EQ(standard.latencyMs(), 2080);
    EXPECT_EQ(standard.windowSamples(), 122880);
    EXPECT_EQ(standard.chunkSamples(), 16640);
    EXPECT_EQ(standard.rightSamples(), 16640);
    EXPECT_EQ(standard.contextSuffix(), "70_13_13");
    EXPECT_DOUBLE_EQ(standard.frameSeconds(), 0.08);

    UnifiedConfig other = standard;
    other.leftFrames = 10;
    other.chunkFrames = 4;
    other.rightFrames = 3;
    EXPECT_EQ(other.latencyMs(), 560);  // 7 * 1280 * 1000 / 16000
    EXPECT_EQ(other.windowSamples(), 17 * 1280);
    EXPECT_EQ(other.contextSuffix(), "10_4_3");
}

TEST(UnifiedConfigTests, PrecisionRawValuesAreExact) {
    EXPECT_EQ(fromRawValue<UnifiedEncoderPrecision>("int8"), UnifiedEncoderPrecision::int8);
    EXPECT_EQ(fromRawValue<UnifiedEncoderPrecision>("fp16"), UnifiedEncoderPrecision::fp16);
    EXPECT_EQ(fromRawValue<UnifiedEncoderPrecision>("INT8"), std::nullopt);
    EXPECT_EQ(fromRawValue<UnifiedEncoderPrecision>("fp32"), std::nullopt);
    const auto all = allCases<UnifiedEncoderPrecision>();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], UnifiedEncoderPrecision::int8);
    EXPECT_EQ(all[1], UnifiedEncoderPrecision::fp16);
}

TEST(UnifiedConfigTests, EncoderFilesAndDownloadVariantsPerModeAndPrecision) {
    struct Case {
        const char* name;
        Mode mode;
        UnifiedEncoderPrecision precision;
        const char* file;
        std::optional<std::string> variant;
    };
    const Case cases[] = {
        {"streaming int8", Mode::streaming, UnifiedEncoderPrecision::int8,
         "parakeet_unified_encoder_streaming_70_13_13_int8.mlmodelc", std::nullopt},
        {"streaming fp16", Mode::streaming, UnifiedEncoderPrecision::fp16,
         "parakeet_unified_encoder_streaming_70_13_13.mlmodelc", "fp16"},
        {"offline int8", Mode::offline, UnifiedEncoderPrecision::int8, "parakeet_unified_encoder_int8.mlmodelc",
         "offline"},
        {"offline fp16", Mode::offline, UnifiedEncoderPrecision::fp16, "parakeet_unified_encoder.mlmodelc",
         "offline-fp16"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UnifiedModelFiles::encoderFile(c.mode, c.precision), c.file);
        EXPECT_EQ(UnifiedModelFiles::downloadVariant(c.mode, c.precision), c.variant);
    }
}

TEST(UnifiedConfigTests, OnlyTheEncoderOfTheModeAndPrecisionMakesACachedCopy) {
    const testsupport::TemporaryDirectory root;
    const auto folder = UnifiedModelFiles::repositoryFolder(root.path());
    EXPECT_EQ(folder, root.path() / "parakeet-unified-en-0.6b");
    std::filesystem::create_directories(folder / "parakeet_unified_encoder_int8.mlmodelc");
    EXPECT_TRUE(UnifiedModelFiles::isCached(folder, Mode::offline, UnifiedEncoderPrecision::int8));
    EXPECT_FALSE(UnifiedModelFiles::isCached(folder, Mode::offline, UnifiedEncoderPrecision::fp16));
    EXPECT_FALSE(UnifiedModelFiles::isCached(folder, Mode::streaming, UnifiedEncoderPrecision::int8));
}

TEST(UnifiedConfigTests, ComputeUnitRule) {
    const auto own = UnifiedModelFiles::defaultConfiguration();
    EXPECT_EQ(own.computeUnits, MLComputeUnits::cpuAndNeuralEngine);
    EXPECT_TRUE(own.allowLowPrecisionAccumulationOnGPU);
    EXPECT_EQ(UnifiedModelFiles::frontConfiguration().computeUnits, MLComputeUnits::cpuOnly);

    MLModelConfiguration all;
    all.computeUnits = MLComputeUnits::all;
    all.threadCount = 3;
    MLModelConfiguration neural;
    neural.computeUnits = MLComputeUnits::cpuAndNeuralEngine;
    EXPECT_EQ(UnifiedModelFiles::encoderConfiguration(all, UnifiedEncoderPrecision::int8), neural);
    EXPECT_EQ(UnifiedModelFiles::encoderConfiguration(all, UnifiedEncoderPrecision::fp16), all);
    MLModelConfiguration gpu;
    gpu.computeUnits = MLComputeUnits::cpuAndGPU;
    EXPECT_EQ(UnifiedModelFiles::encoderConfiguration(gpu, UnifiedEncoderPrecision::int8), gpu);
}

} // namespace
} // namespace razeziruzer
