#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedAsrManager.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Unified/ScriptedUnified.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using scriptedunified::codedAudio;
using scriptedunified::expectedText;
using scriptedunified::Options;
using scriptedunified::Script;
using scriptedunified::ScriptedUnified;

Options perWindow() {
    Options options;
    options.countFromWindowStart = true;
    return options;
}

class UnifiedOfflineTests : public ::testing::Test {
protected:
    void load(Script script, Options options = perWindow()) {
        models = std::make_unique<ScriptedUnified>(folder.path(), std::move(script), std::move(options));
        manager.loadModels(folder.path());
    }

    testsupport::TemporaryDirectory folder;
    std::unique_ptr<ScriptedUnified> models;
    UnifiedAsrManager manager;
};

TEST(UnifiedBatchLayoutTests, WindowStarts) {
    const UnifiedBatchLayout layout{UnifiedConfig{}};
    EXPECT_EQ(layout.windowSamples(), 239360);
    EXPECT_EQ(layout.overlapSamples(), 32000);
    EXPECT_EQ(layout.strideSamples(), 207360);
    struct Case {
        std::int64_t total;
        std::vector<std::int64_t> starts;
    };
    const Case cases[] = {{0, {}},
                          {1, {0}},
                          {239360, {0}},
                          {239361, {0, 207360}},
                          {446720, {0, 207360}},
                          {446721, {0, 207360, 414720}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        EXPECT_EQ(layout.chunkStarts(c.total), c.starts);
    }
}

TEST_F(UnifiedOfflineTests, NotLoadedAndEmpty) {
    try {
        manager.transcribe(std::vector<float>{});
        FAIL() << "no error";
    } catch (const ASRError& error) {
        EXPECT_EQ(error.kind(), ASRErrorKind::notInitialized);
    }
    load(Script(4));
    EXPECT_EQ(manager.transcribe(std::vector<float>{}), "");
    EXPECT_EQ(models->record()->preprocessorCalls, 0);
    manager.processBufferedAudio();
    EXPECT_EQ(models->record()->preprocessorCalls, 0);
}

TEST_F(UnifiedOfflineTests, AFiveSecondRecordingIsOneZeroPaddedWindow) {
    const auto script = scriptedunified::everyNthFrame(63, 4);
    load(script);
    const auto audio = codedAudio(62, 640);  // 80000 samples
    EXPECT_EQ(manager.transcribe(audio), expectedText(script));
    EXPECT_EQ(models->record()->audioLengths, (std::vector<std::int32_t>{80000}));
    EXPECT_EQ(models->record()->signalSizes, (std::vector<std::int64_t>{240000}));
}

TEST_F(UnifiedOfflineTests, LongRecordingsMergeTheOverlapsToTheScriptedText) {
    struct Case {
        const char* name;
        std::int64_t frames;
    };
    const Case cases[] = {{"60 s", 750}, {"10 minutes", 7500}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TemporaryDirectory caseFolder;
        auto script = scriptedunified::everyNthFrame(c.frames + 1, 3);
        ScriptedUnified caseModels(caseFolder.path(), script, perWindow());
        UnifiedAsrManager recogniser;
        recogniser.loadModels(caseFolder.path());
        EXPECT_EQ(recogniser.transcribe(codedAudio(c.frames, 700)), expectedText(script));
        const auto windows = recogniser.layout().chunkStarts(c.frames * 1280 + 700).size();
        EXPECT_EQ(caseModels.record()->preprocessorCalls, static_cast<int>(windows));
    }
}

TEST_F(UnifiedOfflineTests, BufferingFinishResetAndCallback) {
    const auto script = scriptedunified::everyNthFrame(100, 2);
    load(script);
    std::vector<std::string> seen;
    manager.setPartialTranscriptCallback([&](const std::string& text) { seen.push_back(text); });
    EXPECT_EQ(manager.getPartialTranscript(), "");
    const auto audio = codedAudio(100);
    manager.appendAudio(streamingtest::pcmBuffer(std::span<const float>(audio).first(60000)));
    manager.appendSamples(std::span<const float>(audio).subspan(60000));
    EXPECT_EQ(manager.finish(), expectedText(script));
    EXPECT_EQ(manager.getPartialTranscript(), expectedText(script));
    EXPECT_EQ(seen, std::vector<std::string>{expectedText(script)});
    EXPECT_EQ(manager.finish(), "");
    EXPECT_EQ(manager.getPartialTranscript(), "");

    manager.appendSamples(audio);
    manager.reset();
    EXPECT_EQ(manager.finish(), "");
}

TEST_F(UnifiedOfflineTests, AFailedWindowKeepsTheBufferForARetry) {
    auto failures = std::make_shared<int>(0);
    Options options = perWindow();
    options.beforeJoint = [failures] {
        if (*failures > 0) {
            --*failures;
            throw std::runtime_error("joint down");
        }
    };
    const auto script = scriptedunified::everyNthFrame(300, 2);
    load(script, options);
    manager.appendSamples(codedAudio(300));
    *failures = 1;
    EXPECT_THROW(manager.finish(), std::runtime_error);
    EXPECT_EQ(manager.getPartialTranscript(), "");
    EXPECT_EQ(manager.finish(), expectedText(script));
}

} // namespace
} // namespace razeziruzer
