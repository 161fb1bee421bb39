#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/StreamingNemotronAsrManager.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/ScriptedNemotron.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace razeziruzer {
namespace {

using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;
using scriptednemotron::codedAudio;
using scriptednemotron::ScriptedNemotron;

double at(const MLMultiArray& array, std::int64_t row, std::int64_t column) {
    return array[{0, row, column}].doubleValue();
}

MLMultiArray recorded(const platform::coreml::ScriptedModelBackend::Call& call, const char* name) {
    return *call.inputs.at(name).value.multiArrayValue();
}

// A [1, rows, frames] mel whose element (m, f) is 100 m + f.
MLMultiArray numberedMel(std::int64_t rows, std::int64_t frames) {
    MLMultiArray mel({1, rows, frames}, MLMultiArrayDataType::float32);
    for (std::int64_t m = 0; m < rows; ++m) {
        for (std::int64_t f = 0; f < frames; ++f) mel[{0, m, f}] = static_cast<double>(100 * m + f);
    }
    return mel;
}

NemotronStreamingConfig smallConfig() {
    NemotronStreamingConfig config;
    config.melFeatures = 2;
    config.chunkMelFrames = 224;
    config.totalMelFrames = 233;
    return config;
}

TEST(NemotronPipelineArraysTests, WindowTakesAtMostTheNewFramesButTheCacheTakesTheLastOnes) {
    const auto config = smallConfig();
    const auto mel = numberedMel(2, 225);
    const auto window = StreamingNemotronAsrManager::prependMelCache(mel, std::nullopt, config);
    ASSERT_EQ(window.shape(), (std::vector<std::int64_t>{1, 2, 233}));
    for (std::int64_t f = 0; f < 9; ++f) EXPECT_EQ(at(window, 1, f), 0.0);
    EXPECT_EQ(at(window, 1, 9), 100.0);
    EXPECT_EQ(at(window, 1, 232), 100.0 + 223);  // frame 224 of the mel is left out
    const auto cache = StreamingNemotronAsrManager::extractMelCache(mel, config);
    ASSERT_EQ(cache.shape(), (std::vector<std::int64_t>{1, 2, 9}));
    EXPECT_EQ(at(cache, 0, 0), 216.0);
    EXPECT_EQ(at(cache, 1, 8), 324.0);
}

TEST(NemotronPipelineArraysTests, AShortMelIsCachedWholeAndLeavesZerosInTheNextWindow) {
    const auto config = smallConfig();
    const auto cache = StreamingNemotronAsrManager::extractMelCache(numberedMel(2, 5), config);
    ASSERT_EQ(cache.shape(), (std::vector<std::int64_t>{1, 2, 5}));
    const auto window = StreamingNemotronAsrManager::prependMelCache(numberedMel(2, 224), cache, config);
    EXPECT_EQ(at(window, 1, 4), 104.0);
    for (std::int64_t f = 5; f < 9; ++f) EXPECT_EQ(at(window, 0, f), 0.0);
    EXPECT_EQ(at(window, 1, 9), 100.0);
}

TEST(NemotronPipelineArraysTests, ColumnsAreReadThroughTheStrides) {
    // [1, 3, 4] stored time-major: strides (12, 1, 3).
    std::vector<float> storage(12);
    for (int i = 0; i < 12; ++i) storage[static_cast<std::size_t>(i)] = static_cast<float>(i);
    MLMultiArray encoded(storage.data(), {1, 3, 4}, MLMultiArrayDataType::float32, {12, 1, 3}, {});
    const auto step = StreamingNemotronAsrManager::extractEncoderStep(encoded, 2);
    ASSERT_EQ(step.shape(), (std::vector<std::int64_t>{1, 3, 1}));
    EXPECT_EQ(step[0].doubleValue(), 6.0);
    EXPECT_EQ(step[1].doubleValue(), 7.0);
    EXPECT_EQ(step[2].doubleValue(), 8.0);
    const auto audio = StreamingNemotronAsrManager::createAudioArray(std::vector<float>{1, 2, 3});
    EXPECT_EQ(audio.shape(), (std::vector<std::int64_t>{1, 3}));
    EXPECT_EQ(audio[2].doubleValue(), 3.0);
}

class NemotronPipelineTests : public ::testing::Test {
protected:
    std::unique_ptr<StreamingNemotronAsrManager> load() {
        auto manager = std::make_unique<StreamingNemotronAsrManager>(std::nullopt, std::nullopt, [] { return true; });
        manager->loadModels(folder.path());
        return manager;
    }
    testsupport::TemporaryDirectory folder;
};

TEST_F(NemotronPipelineTests, FirstChunkStartsFromZeroCachesAndTheBlankToken) {
    ScriptedNemotron models(folder.path());
    auto manager = load();
    EXPECT_EQ(manager->displayName(), "Nemotron 0.6B (2240ms)");
    manager->appendAudio(streamingtest::pcmBuffer(codedAudio(std::vector<int>(56, 2))));
    manager->processBufferedAudio();
    const auto encoderCalls = models.encoder->calls();
    ASSERT_EQ(encoderCalls.size(), 2u);
    const auto window = recorded(encoderCalls[0], "mel");
    for (std::int64_t f = 0; f < 9; ++f) EXPECT_EQ(at(window, 0, f), 0.0) << f;
    EXPECT_EQ(recorded(encoderCalls[0], "mel_length")[0].int32Value(), 233);
    EXPECT_EQ(recorded(encoderCalls[0], "cache_len")[0].int32Value(), 1);
    EXPECT_EQ(recorded(encoderCalls[0], "cache_channel").shape(), (std::vector<std::int64_t>{1, 2, 3, 4}));
    EXPECT_EQ(recorded(encoderCalls[0], "cache_time").shape(), (std::vector<std::int64_t>{1, 2, 4, 2}));
    // The second window opens with the last nine frames of the first chunk's mel.
    const auto second = recorded(encoderCalls[1], "mel");
    for (std::int64_t f = 0; f < 9; ++f) EXPECT_EQ(at(second, 1, f), 215.0 + static_cast<double>(f));
    EXPECT_EQ(recorded(encoderCalls[1], "cache_len")[0].int32Value(), 2);
    EXPECT_EQ(recorded(models.decoder->calls().front(), "token")[0].int32Value(), scriptednemotron::blankId);
    EXPECT_EQ(recorded(models.decoder->calls().front(), "h_in").shape(), (std::vector<std::int64_t>{2, 1, 3}));
}

TEST_F(NemotronPipelineTests, AnEncoderWithoutCacheLengthKeepsThePreviousOne) {
    ScriptedNemotron models(folder.path(), {.encoderGivesCacheLen = false});
    auto manager = load();
    manager->appendAudio(streamingtest::pcmBuffer(codedAudio(std::vector<int>(56, -1))));
    manager->processBufferedAudio();
    const auto calls = models.encoder->calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(recorded(calls[1], "cache_len")[0].int32Value(), 1);
    EXPECT_EQ(recorded(calls[1], "cache_channel")[0].doubleValue(), 1.0);
}

TEST_F(NemotronPipelineTests, SilenceEmitsNothingButTheChunkStillCloses) {
    ScriptedNemotron models(folder.path());
    auto manager = load();
    int partials = 0;
    manager->setPartialTranscriptCallback([&](const std::string&) { ++partials; });
    manager->appendAudio(streamingtest::pcmBuffer(codedAudio(std::vector<int>(28, -1))));
    manager->processBufferedAudio();
    EXPECT_EQ(partials, 0);
    EXPECT_EQ(manager->processedChunks(), 1);
    EXPECT_TRUE(manager->getTokenTimings().empty());
}

TEST_F(NemotronPipelineTests, AtMostTenSymbolsPerFrame) {
    ScriptedNemotron models(folder.path(), {.alwaysEmit = 4});
    auto manager = load();
    manager->appendAudio(streamingtest::pcmBuffer(codedAudio(std::vector<int>(28, -1))));
    manager->processBufferedAudio();
    const auto timings = manager->getTokenTimings();
    ASSERT_EQ(timings.size(), 280u);
    EXPECT_NEAR(timings[9].startTime, 0.0, 1e-12);
    EXPECT_NEAR(timings[10].startTime, 0.08, 1e-12);
    // The tenth emission's state carries into the next frame.
    const auto calls = models.decoder->calls();
    EXPECT_EQ(recorded(calls[10], "h_in")[0].doubleValue(), 10.0);
}

TEST_F(NemotronPipelineTests, MissingOutputsAreReportedByStage) {
    ScriptedNemotron models(folder.path());
    auto manager = load();
    // A fresh recogniser that never loaded has no models to run.
    StreamingNemotronAsrManager unloaded(std::nullopt, std::nullopt, [] { return true; });
    EXPECT_THROW(unloaded.processBufferedAudio(), ASRError);
    manager->cleanup();
    try {
        manager->processBufferedAudio();
        FAIL();
    } catch (const ASRError& error) {
        EXPECT_EQ(error.kind(), ASRErrorKind::notInitialized);
    }
}

} // namespace
} // namespace razeziruzer

namespace razeziruzer {
namespace {

TEST_F(NemotronPipelineTests, AModelFolderWhoseSettingsCannotStartAStreamLoadsNothing) {
    ScriptedNemotron models(folder.path());
    std::ofstream(folder / "metadata.json") << R"({"blank_idx": 5000000000})";
    StreamingNemotronAsrManager manager(std::nullopt, std::nullopt, [] { return true; });
    EXPECT_THROW(manager.loadModels(folder.path()), ASRError);
    EXPECT_THROW(manager.processBufferedAudio(), ASRError);
    EXPECT_EQ(manager.displayName(), "Nemotron 0.6B (2240ms)");
}

} // namespace
} // namespace razeziruzer
