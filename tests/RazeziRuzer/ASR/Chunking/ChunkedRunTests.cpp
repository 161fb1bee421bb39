#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "Platform/Concurrency/Cancellation.hpp"
#include "tests/RazeziRuzer/ASR/Chunking/ChunkedRunFixture.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <stdexcept>

namespace razeziruzer {
namespace {

using chunktest::ChunkedRun;
using chunktest::configWith;
using chunktest::codedFrames;
using chunktest::spokenTokens;
using scriptedparakeet::JointAnswer;
using scriptedparakeet::JointQuery;

constexpr int blankId = 8192; // of the v3 model set

// The scripted joint's own rule, with a hook that runs first.
scriptedparakeet::Options jointWith(std::function<void(const JointQuery&)> hook) {
    scriptedparakeet::Options options;
    options.joint = [hook = std::move(hook)](const JointQuery& query) {
        hook(query);
        JointAnswer answer;
        const bool emit = query.token >= 0 && query.ordinal > query.emittedCount;
        answer.tokenId = emit ? query.token : blankId;
        answer.probability = emit ? 0.9f : 0.95f;
        return answer;
    };
    return options;
}

TEST(ChunkedRunTest, LongRecordingsTranscribeToExactlyTheCodedTokens) {
    struct Case {
        const char* name;
        int frames;
    };
    for (const auto& c : {Case{"16 s", 200}, Case{"10 min", 7500}}) {
        platform::ScopedLogCapture log;
        ChunkedRun run(configWith(4));
        const auto frames = codedFrames(c.frames);
        const auto result = run.transcribe(frames);

        EXPECT_EQ(result.text, chunktest::ScriptedParakeet::expectedText(spokenTokens(frames))) << c.name;
        EXPECT_DOUBLE_EQ(result.duration, c.frames * 1280 / 16000.0) << c.name;
        ASSERT_TRUE(result.tokenTimings) << c.name;
        EXPECT_EQ(result.tokenTimings->size(), spokenTokens(frames).size()) << c.name;
        EXPECT_NEAR(result.confidence, 0.9f, 1e-3) << c.name;
        EXPECT_FALSE(result.performanceMetrics || result.ctcDetectedTerms || result.ctcAppliedTerms) << c.name;
        EXPECT_TRUE(log.contains("ChunkProcessor using worker pool of size 4")) << c.name;
    }
}

TEST(ChunkedRunTest, ChunksFinishingOutOfOrderMergeInPlanOrder) {
    // Four chunks on four workers (starts at frames 0, 161, 322 and 483). The
    // first chunk's decode waits until the last chunk has reached one of its
    // final frames, which no other chunk holds, so the last finishes first.
    constexpr int firstMarker = 62, lastMarker = 61;
    auto frames = codedFrames(600);
    frames[0] = firstMarker;
    frames[597] = lastMarker;

    std::promise<void> lastChunkDone;
    const auto lastChunkSeen = lastChunkDone.get_future().share();
    std::once_flag release, wait;
    ChunkedRun run(configWith(4), jointWith([&](const JointQuery& query) {
        if (query.token == lastMarker) std::call_once(release, [&] { lastChunkDone.set_value(); });
        if (query.token == firstMarker) std::call_once(wait, [&] { lastChunkSeen.wait(); });
    }));

    const auto result = run.transcribe(frames);
    EXPECT_EQ(result.text, chunktest::ScriptedParakeet::expectedText(spokenTokens(frames)));
}

TEST(ChunkedRunTest, AnErrorInOneChunkFailsTheWholeRun) {
    constexpr int lastMarker = 61;
    auto frames = codedFrames(600);
    frames[597] = lastMarker;
    ChunkedRun run(configWith(4), jointWith([](const JointQuery& query) {
        if (query.token == lastMarker) throw std::runtime_error("joint failed on the last chunk");
    }));
    try {
        run.transcribe(frames);
        FAIL() << "the run returned a result";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find("joint failed on the last chunk"), std::string::npos) << error.what();
    }
}

TEST(ChunkedRunTest, StopRequestEndsTheRunWithCancellation) {
    ChunkedRun run(configWith(2));
    std::stop_source stop;
    EXPECT_THROW(run.transcribe(codedFrames(600), [&](double) { stop.request_stop(); }, stop.get_token()),
                 platform::CancellationError);
}

TEST(ChunkedRunTest, TwoChunksReportProgressOnceAndShortRecordingsOneOrNone) {
    // 240,001 samples: chunk 0 reads [0, 238,080), chunk 1 is the last.
    ChunkedRun run(configWith(4));
    auto samples = scriptedparakeet::codedAudio(codedFrames(188));
    samples.resize(240001, 0.0f);
    ChunkProcessor processor{std::make_shared<ArrayAudioSampleSource>(samples), 240001, AppLogger("ChunkProcessor"),
                             2.0, 1280, 0};
    std::vector<double> reports;
    const auto result = processor.process(run.manager, std::chrono::system_clock::now(),
                                          [&](double fraction) { reports.push_back(fraction); }, std::nullopt);
    EXPECT_EQ(reports, (std::vector<double>{238080.0 / 240001.0}));
    EXPECT_EQ(run.scripted.counters()->preprocessor, 2);
    EXPECT_EQ(result.text, chunktest::ScriptedParakeet::expectedText(spokenTokens(codedFrames(188))));

    ChunkedRun empty(configWith(4));
    const auto nothing = empty.transcribe({});
    EXPECT_EQ(nothing.text, "");
    EXPECT_FLOAT_EQ(nothing.confidence, 0.1f);
    EXPECT_EQ(nothing.duration, 0.0);
    ASSERT_TRUE(nothing.tokenTimings);
    EXPECT_TRUE(nothing.tokenTimings->empty());
    EXPECT_EQ(empty.scripted.counters()->preprocessor, 0);
}

TEST(ChunkedRunTest, WithoutModelsTheManagerAloneDecodesAndReportsItsError) {
    AsrManager manager(configWith(4));
    platform::ScopedLogCapture log;
    ChunkedRun coded(configWith(1));
    const auto processor = coded.processorFor(codedFrames(400));
    EXPECT_THROW(processor.process(manager, std::chrono::system_clock::now(), {}, std::nullopt), ASRError);
    EXPECT_FALSE(log.contains("ChunkProcessor using worker pool"));
}

TEST(ChunkedRunTest, QuietSpotsMoveChunkStartsWithoutLosingTokens) {
    // v3 without mel context plans silence-aligned starts; the silent frames
    // pull the second chunk 30 frames early.
    auto frames = codedFrames(600);
    frames[131] = frames[132] = -1;
    ChunkedRun run(configWith(4, false));
    const auto result = run.transcribe(frames);
    EXPECT_EQ(result.text, chunktest::ScriptedParakeet::expectedText(spokenTokens(frames)));
}

TEST(ChunkedRunTest, WarmupPrefixLeavesNoFrameUndecoded) {
    // Chunk 1 starts early at frame 112, just before sound, so it gets a
    // 7-frame warm-up prefix; the quiet token-0 frames 292 and 293 then put
    // chunk 2 at the latest start allowed, frame 293. A full prefix would end
    // chunk 1's own audio at frame 292, leaving that frame to nobody.
    auto frames = codedFrames(400);
    frames[111] = frames[112] = -1;
    frames[113] = 43;
    frames[292] = frames[293] = 0;
    ChunkedRun run(configWith(1, false));
    const auto result = run.transcribe(frames, {}, {}, 7);
    EXPECT_EQ(result.text, chunktest::ScriptedParakeet::expectedText(spokenTokens(frames)));
}

} // namespace
} // namespace razeziruzer
