#include "Platform/Core/Logger.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"
#include "RazeziRuzer/DownloadErrors.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/ScriptedNemotron.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using platform::coreml::MLComputeUnits;

const std::string refusal = "Nemotron int8 streaming models require Apple Silicon (ANE). Intel Macs are not supported.";

template <typename Operation>
void expectRefusal(Operation&& operation) {
    try {
        operation();
        FAIL() << "the load was not refused";
    } catch (const ASRError& error) {
        EXPECT_EQ(error.kind(), ASRErrorKind::unsupportedPlatform);
        EXPECT_EQ(error.description(), refusal);
    }
}

template <typename Operation>
void expectNotInitialized(Operation&& operation) {
    try {
        operation();
        FAIL() << "no error";
    } catch (const ASRError& error) {
        EXPECT_EQ(error.kind(), ASRErrorKind::notInitialized);
    }
}

class NemotronLoadTests : public ::testing::Test {
protected:
    NemotronLoadTests() { DownloadUtils::enforceOffline = true; }
    ~NemotronLoadTests() override { DownloadUtils::enforceOffline = false; }

    testsupport::TemporaryDirectory base;
};

TEST_F(NemotronLoadTests, ThisPlatformHasNoNeuralEngine) { EXPECT_FALSE(hasNeuralEngine()); }

TEST_F(NemotronLoadTests, LoadFromAFolderRefusesWithoutReadingIt) {
    StreamingNemotronAsrManager manager;
    // Even a complete model folder is refused on this platform.
    scriptednemotron::ScriptedNemotron models(base / "models");
    expectRefusal([&] { manager.loadModels(base / "models"); });
    EXPECT_EQ(models.preprocessor->callCount(), 0u);
    expectRefusal([&] { manager.loadModels(base / "does-not-exist"); });
}

TEST_F(NemotronLoadTests, CachedModelsAreNotDownloadedAndStillRefused) {
    scriptednemotron::ScriptedNemotron models(base / "nemotron-streaming/2240ms");
    StreamingNemotronAsrManager manager;
    platform::ScopedLogCapture capture;
    expectRefusal([&] { manager.loadModels(base.path(), std::nullopt, {}); });
    EXPECT_TRUE(capture.contains("Using cached Nemotron models at " + (base / "nemotron-streaming/2240ms").string()));
    EXPECT_FALSE(capture.contains("Downloading"));
}

TEST_F(NemotronLoadTests, MissingModelsFailWithTheDownloadError) {
    StreamingNemotronAsrManager manager;
    platform::ScopedLogCapture capture;
    EXPECT_THROW(manager.loadModels(base.path(), std::nullopt, {}), DownloadUtils::OfflineError);
    EXPECT_TRUE(capture.contains("Downloading Nemotron models to " + base.path().string() + "..."));
}

TEST_F(NemotronLoadTests, RequestedSizeChoosesTheFolderButNotTheGeometry) {
    scriptednemotron::ScriptedNemotron models(base / "nemotron-streaming/560ms", {.chunkMs = 560});
    StreamingNemotronAsrManager manager(std::nullopt, NemotronChunkSize::ms560);
    platform::ScopedLogCapture capture;
    expectRefusal([&] { manager.loadModels(base.path(), std::nullopt, {}); });
    EXPECT_TRUE(capture.contains((base / "nemotron-streaming/560ms").string()));
    EXPECT_EQ(manager.displayName(), "Nemotron 0.6B (2240ms)");
    EXPECT_EQ(manager.config().chunkMelFrames, 224);
}

TEST_F(NemotronLoadTests, ConfigurationDefaultsAndReplacement) {
    StreamingNemotronAsrManager manager;
    EXPECT_EQ(manager.mlConfiguration().computeUnits, MLComputeUnits::cpuAndNeuralEngine);
    EXPECT_TRUE(manager.mlConfiguration().allowLowPrecisionAccumulationOnGPU);
    platform::coreml::MLModelConfiguration cpu;
    cpu.computeUnits = MLComputeUnits::cpuOnly;
    EXPECT_THROW(manager.loadModels(base.path(), cpu, {}), DownloadUtils::OfflineError);
    EXPECT_EQ(manager.mlConfiguration(), cpu);
}

TEST_F(NemotronLoadTests, AfterARefusalDecodingIsNotInitializedButAudioStillBuffers) {
    scriptednemotron::ScriptedNemotron models(base / "nemotron-streaming/2240ms");
    StreamingNemotronAsrManager manager;
    expectRefusal([&] { manager.loadModels(base.path(), std::nullopt, {}); });
    manager.reset();
    manager.reset();
    const std::vector<float> samples(1000, 0.25f);
    manager.appendAudio(streamingtest::pcmBuffer(samples));
    EXPECT_EQ(manager.bufferedSampleCount(), 1000u);
    expectNotInitialized([&] { manager.processBufferedAudio(); });
    expectNotInitialized([&] { manager.finish(); });
    expectNotInitialized([&] { manager.process(streamingtest::pcmBuffer(samples)); });
    EXPECT_EQ(manager.bufferedSampleCount(), 1000u);
    EXPECT_EQ(manager.getPartialTranscript(), "");
    manager.cleanup();
    expectNotInitialized([&] { manager.finish(); });
}

} // namespace
} // namespace razeziruzer
