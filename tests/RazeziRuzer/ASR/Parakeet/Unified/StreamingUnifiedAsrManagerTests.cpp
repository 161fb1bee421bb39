#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/StreamingUnifiedAsrManager.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Unified/ScriptedUnified.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace razeziruzer {
namespace {

using platform::coreml::MLComputeUnits;
using platform::coreml::MLModelConfiguration;
using scriptedunified::codedAudio;
using scriptedunified::expectedText;
using scriptedunified::Options;
using scriptedunified::Script;
using scriptedunified::ScriptedUnified;
using streamingtest::pcmBuffer;

std::span<const float> part(const std::vector<float>& audio, std::size_t from, std::size_t count) {
    return std::span<const float>(audio).subspan(from, std::min(count, audio.size() - from));
}

class StreamingUnifiedTests : public ::testing::Test {
protected:
    void load(Script script, Options options = {}) {
        models = std::make_unique<ScriptedUnified>(folder.path(), std::move(script), std::move(options));
        manager.loadModels(folder.path());
    }

    testsupport::TemporaryDirectory folder;
    std::unique_ptr<ScriptedUnified> models;
    StreamingUnifiedAsrManager manager;
};

TEST_F(StreamingUnifiedTests, UseBeforeLoadingIsRefusedButAudioIsKept) {
    for (const auto& operation : {+[](StreamingUnifiedAsrManager& m) { m.processBufferedAudio(); },
                                  +[](StreamingUnifiedAsrManager& m) { m.finish(); }}) {
        try {
            operation(manager);
            FAIL() << "no error";
        } catch (const ASRError& error) {
            EXPECT_EQ(error.kind(), ASRErrorKind::notInitialized);
        }
    }
    const Script script = scriptedunified::everyNthFrame(30, 4);
    const auto audio = codedAudio(30);
    manager.appendAudio(pcmBuffer(audio));
    load(script);
    manager.processBufferedAudio();
    EXPECT_EQ(manager.processedChunks(), 1);
    EXPECT_EQ(manager.finish(), expectedText(script));
    EXPECT_EQ(manager.displayName(), "Parakeet Unified 0.6B (2080ms)");
}

TEST_F(StreamingUnifiedTests, TheFirstWindowWaitsForItsLookAhead) {
    load(Script(40));
    const auto audio = codedAudio(26);
    manager.appendSamples(part(audio, 0, 33279));
    manager.processBufferedAudio();
    EXPECT_EQ(models->record()->preprocessorCalls, 0);
    manager.appendSamples(part(audio, 33279, 1));
    manager.processBufferedAudio();
    EXPECT_EQ(models->record()->preprocessorCalls, 1);
    EXPECT_EQ(models->record()->audioLengths, (std::vector<std::int32_t>{33280}));
    EXPECT_EQ(models->record()->signalSizes, (std::vector<std::int64_t>{122880}));
}

TEST_F(StreamingUnifiedTests, FinishWithoutAudioRunsNoModelAndAShortStreamIsOneWindow) {
    Script script(8);
    script[0] = {1};
    script[7] = {2};  // the frame that holds samples 8960 to 9999
    load(script);
    EXPECT_EQ(manager.finish(), "");
    EXPECT_EQ(models->record()->preprocessorCalls, 0);
    manager.reset();
    manager.appendSamples(codedAudio(7, 1040));
    EXPECT_EQ(manager.finish(), "w1 w2");
    EXPECT_EQ(models->record()->audioLengths, (std::vector<std::int32_t>{10000}));
}

TEST_F(StreamingUnifiedTests, ScriptedStreamsGiveExactlyTheScriptedText) {
    struct Case {
        const char* name;
        std::int64_t frames;
        std::size_t bufferSamples;
    };
    const Case cases[] = {
        {"5 s in 100 ms buffers", 62, 1600},
        {"60 s in odd 0.37 s buffers", 750, 5923},
        {"10 minutes in 1 s buffers", 7500, 16000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TemporaryDirectory caseFolder;
        auto script = scriptedunified::everyNthFrame(c.frames, 3);
        script[5] = {1, 2};  // two tokens on one frame
        ScriptedUnified caseModels(caseFolder.path(), script);
        StreamingUnifiedAsrManager recogniser;
        recogniser.loadModels(caseFolder.path());
        std::vector<std::string> partials;
        recogniser.setPartialTranscriptCallback([&](const std::string& text) { partials.push_back(text); });
        const auto audio = codedAudio(c.frames, 500);
        std::size_t largestRetained = 0;
        for (std::size_t at = 0; at < audio.size(); at += c.bufferSamples) {
            recogniser.appendSamples(part(audio, at, c.bufferSamples));
            recogniser.processBufferedAudio();
            largestRetained = std::max(largestRetained, recogniser.retainedSampleCount());
        }
        const auto streamed = recogniser.getPartialTranscript();
        const auto text = recogniser.finish();
        EXPECT_EQ(text, expectedText(script));
        // Only the held-back look-ahead and the unplanned tail are left for finish().
        EXPECT_TRUE(text.starts_with(streamed));
        EXPECT_LE(text.size() - streamed.size(), 60u);
        ASSERT_FALSE(partials.empty());
        EXPECT_EQ(partials.back(), text);
        EXPECT_LE(largestRetained, 122880u + 2 * 16640u + c.bufferSamples);
    }
}

TEST_F(StreamingUnifiedTests, TokenTimingsFollowTheFrames) {
    Script script(10);
    script[2] = {3, 20};  // 20 has no piece
    script[4] = {4, 5};
    load(script);
    manager.appendSamples(codedAudio(10));
    EXPECT_EQ(manager.finish(), "w3 w4 w5");
    EXPECT_EQ(manager.accumulatedTokenIds(), (std::vector<std::int64_t>{3, 20, 4, 5}));
    const auto timings = manager.consumeTokenTimings();
    ASSERT_EQ(timings.size(), 3u);
    EXPECT_EQ(timings[0], (TokenTiming{" w3", 3, 0.16, 0.24, 0.75f}));
    EXPECT_EQ(timings[1].token, " w4");
    EXPECT_DOUBLE_EQ(timings[1].startTime, 0.32);
    EXPECT_DOUBLE_EQ(timings[1].endTime, 0.32);  // cut back to the next token on the same frame
    EXPECT_DOUBLE_EQ(timings[2].startTime, 0.32);
    EXPECT_DOUBLE_EQ(timings[2].endTime, 0.4);
    EXPECT_TRUE(manager.consumeTokenTimings().empty());
}

TEST_F(StreamingUnifiedTests, AfterFinishAudioWaitsForResetWhichStartsAFreshStream) {
    const auto script = scriptedunified::everyNthFrame(60, 5);
    load(script);
    manager.appendSamples(codedAudio(60));
    const auto text = manager.finish();
    const auto calls = models->record()->preprocessorCalls.load();
    manager.appendSamples(codedAudio(60));
    manager.processBufferedAudio();
    EXPECT_EQ(manager.finish(), text);
    EXPECT_EQ(models->record()->preprocessorCalls, calls);

    manager.reset();
    EXPECT_EQ(manager.getPartialTranscript(), "");
    manager.appendSamples(codedAudio(60));
    EXPECT_EQ(manager.finish(), text);
}

TEST_F(StreamingUnifiedTests, AFailedWindowIsDecodedAgainByTheNextCall) {
    auto failures = std::make_shared<int>(0);
    Options options;
    options.beforeJoint = [failures] {
        if (*failures > 0) {
            --*failures;
            throw std::runtime_error("joint down");
        }
    };
    const auto script = scriptedunified::everyNthFrame(200, 2);
    load(script, options);
    const auto audio = codedAudio(200);
    manager.appendSamples(part(audio, 0, 100000));
    manager.processBufferedAudio();
    *failures = 1;
    manager.appendSamples(part(audio, 100000, 60000));
    EXPECT_THROW(manager.processBufferedAudio(), std::runtime_error);
    manager.appendSamples(part(audio, 160000, audio.size()));
    manager.processBufferedAudio();
    *failures = 1;
    EXPECT_THROW(manager.finish(), std::runtime_error);
    EXPECT_EQ(manager.finish(), expectedText(script));
}

TEST_F(StreamingUnifiedTests, MissingModelOutputsFailWithTheirMessages) {
    struct Case {
        const char* name;
        Options options;
        const char* message;
    };
    Options noMel;
    noMel.preprocessorGivesMel = false;
    Options noEncoder;
    noEncoder.encoderGivesOutput = false;
    const Case cases[] = {{"preprocessor", noMel, "Unified preprocessor failed to produce mel output"},
                          {"encoder", noEncoder, "Unified encoder failed to produce output"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TemporaryDirectory caseFolder;
        ScriptedUnified caseModels(caseFolder.path(), Script(30), c.options);
        StreamingUnifiedAsrManager recogniser;
        recogniser.loadModels(caseFolder.path());
        recogniser.appendSamples(codedAudio(30));
        try {
            recogniser.processBufferedAudio();
            FAIL() << "no error";
        } catch (const ASRError& error) {
            EXPECT_EQ(error.message(), c.message);
        }
    }
}

TEST_F(StreamingUnifiedTests, OverlappingProcessAndFinishAreSerialised) {
    const auto script = scriptedunified::everyNthFrame(750, 3);
    load(script);
    const auto audio = codedAudio(750);
    manager.appendSamples(audio);
    std::thread processing([&] { manager.processBufferedAudio(); });
    const auto text = manager.finish();
    processing.join();
    EXPECT_EQ(text, expectedText(script));
    EXPECT_EQ(manager.finish(), text);
}

TEST_F(StreamingUnifiedTests, ModelsLoadWithTheComputeUnitRuleAndFromTheCache) {
    MLModelConfiguration all;
    all.computeUnits = MLComputeUnits::all;
    const auto root = folder.path() / "models";
    const auto repository = root / "parakeet-unified-en-0.6b";
    std::filesystem::create_directories(repository);
    for (const auto precision : {UnifiedEncoderPrecision::int8, UnifiedEncoderPrecision::fp16}) {
        SCOPED_TRACE(std::string(rawValue(precision)));
        ScriptedUnified cached(repository, Script(4), {}, precision);
        StreamingUnifiedAsrManager recogniser(std::nullopt, {}, precision);
        EXPECT_EQ(recogniser.mlConfiguration().computeUnits, MLComputeUnits::cpuAndNeuralEngine);
        recogniser.loadModels(root, all, {});
        const auto loaded = cached.record()->loadConfigurations;
        ASSERT_EQ(loaded.size(), 4u);
        EXPECT_EQ(loaded[0].computeUnits, MLComputeUnits::cpuOnly);
        EXPECT_EQ(loaded[1].computeUnits,
                  precision == UnifiedEncoderPrecision::int8 ? MLComputeUnits::cpuAndNeuralEngine : MLComputeUnits::all);
        EXPECT_EQ(loaded[2].computeUnits, MLComputeUnits::cpuOnly);
        EXPECT_EQ(loaded[3].computeUnits, MLComputeUnits::cpuOnly);
        recogniser.cleanup();
        EXPECT_THROW(recogniser.finish(), ASRError);
    }
}

} // namespace
} // namespace razeziruzer
