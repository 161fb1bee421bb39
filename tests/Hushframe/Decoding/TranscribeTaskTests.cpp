#include "Hushframe/Decoding/SegmentSeeker.hpp"
#include "Hushframe/Decoding/TextDecoder.hpp"
#include "Hushframe/Decoding/WindowTranscribeTask.hpp"
#include "tests/Hushframe/Decoding/ScriptedWhisper.hpp"

#include "Platform/Concurrency/Cancellation.hpp"

#include <gtest/gtest.h>

namespace hushframe {
namespace {

using namespace hushframe::testing;

// Two segments: " Hello world" up to `middle` seconds, then " How are you?" up
// to `end` seconds (both relative to the window), closed by one timestamp.
Attempt twoSentences(int middle, int end) {
    const int m = T + middle * 50;
    return Attempt{{{1}, {2}, {m}, {m}, {4}, {5}, {6}, {7}, {T + end * 50}}};
}

Attempt repetitive() { return Attempt{std::vector<Step>(60, Step{9})}; }

// The model hears no speech, and its unsure text is not trusted either.
Attempt silence() {
    Attempt attempt;
    for (int i = 1; i <= 15; ++i) attempt.steps.push_back({i, 0, 3});
    attempt.noSpeechLogit = 8;
    return attempt;
}

struct TaskFixture {
    explicit TaskFixture(WindowScripts scripts) : model(std::move(scripts)) {
        decoder->setModel(model.model());
        decoder->setTokenizer(tokenizer);
        decoder->setIsModelMultilingual(true);
        task = std::make_unique<WindowTranscribeTask>(TranscriptionTimings{.totalDecodingFallbacks = 0}, nullptr, nullptr,
                                                      std::make_shared<MarkerAudioEncoder>(),
                                                      std::make_shared<MarkerFeatureExtractor>(),
                                                      std::make_shared<SegmentSeeker>(), decoder, tokenizer);
        task->segmentDiscoveryCallback = [this](const std::vector<TranscriptionSegment>& segments) {
            discovered.push_back(segments.size());
        };
    }

    // The first cache position the model was fed for each window marker.
    std::map<int, std::int64_t> firstPositions() const {
        std::map<int, std::int64_t> first;
        for (const auto& call : model.backend().calls()) {
            const auto window = static_cast<int>(call.inputs.at("encoder_output_embeds").value.multiArrayValue()->operator[](0));
            const auto position = call.inputs.at("cache_length").value.multiArrayValue()->operator[](0).int32Value();
            first.try_emplace(window, position);
        }
        return first;
    }

    ScriptedDecoderModel model;
    std::shared_ptr<ScriptTokenizer> tokenizer = std::make_shared<ScriptTokenizer>();
    std::shared_ptr<TextDecoder> decoder = std::make_shared<TextDecoder>();
    std::unique_ptr<WindowTranscribeTask> task;
    std::vector<std::size_t> discovered;
};

struct Expected {
    std::int64_t seek;
    float start;
    float end;
    std::string text;
    float temperature;
};

void expectSegments(const std::vector<TranscriptionSegment>& segments, const std::vector<Expected>& expected) {
    ASSERT_EQ(segments.size(), expected.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        SCOPED_TRACE("segment " + std::to_string(i));
        EXPECT_EQ(segments[i].id, static_cast<std::int64_t>(i));
        EXPECT_EQ(segments[i].seek, expected[i].seek);
        EXPECT_FLOAT_EQ(segments[i].start, expected[i].start);
        EXPECT_FLOAT_EQ(segments[i].end, expected[i].end);
        EXPECT_EQ(segments[i].text, expected[i].text);
        EXPECT_FLOAT_EQ(segments[i].temperature, expected[i].temperature);
    }
}

TEST(TranscribeTaskTests, TwentySecondsWithAFallbackOnRepetition) {
    TaskFixture fixture({{0, {twoSentences(2, 5)}}, {5, {repetitive(), twoSentences(4, 15)}}});
    std::vector<std::int64_t> windowIds;
    const auto result = fixture.task->run(secondMarkedAudio(20), std::nullopt,
                                          [&](const TranscriptionProgress& progress) -> std::optional<bool> {
                                              windowIds.push_back(progress.windowId);
                                              return std::nullopt;
                                          });
    EXPECT_EQ(result->text(), "Hello world How are you? Hello world How are you?");
    EXPECT_EQ(result->language(), "en");
    expectSegments(result->segments(),
                   {{0, 0, 2, "<|startoftranscript|><|en|><|transcribe|><|0.00|> Hello world<|2.00|>", 0},
                    {0, 2, 5, "<|2.00|> How are you?<|5.00|>", 0},
                    {80000, 5, 9, "<|startoftranscript|><|en|><|transcribe|><|0.00|> Hello world<|4.00|>", 0.2F},
                    {80000, 9, 20, "<|4.00|> How are you?<|15.00|>", 0.2F}});
    EXPECT_EQ(fixture.discovered, (std::vector<std::size_t>{2, 2}));
    const auto timings = fixture.task->timings();
    EXPECT_EQ(timings.totalDecodingWindows, 2);
    EXPECT_EQ(timings.totalDecodingFallbacks, 1);
    EXPECT_EQ(timings.totalEncodingRuns, 2);
    EXPECT_EQ(windowIds.front(), 0);
    EXPECT_EQ(windowIds.back(), 1);
    EXPECT_EQ(fixture.task->progress()->completedUnitCount(), 320000);
}

// Each window's progress reports carry one id; a fallback anywhere must not
// make a later window repeat an earlier id or go below zero.
TEST(TranscribeTaskTests, WindowIdsStayUniqueAndIncreasingAfterFallbacks) {
    struct Case {
        const char* name;
        WindowScripts scripts;
        std::vector<std::int64_t> expectedIds;
    };
    const std::vector<Case> cases{
        {"a fallback in the middle window",
         {{0, {twoSentences(2, 5)}}, {5, {repetitive(), twoSentences(1, 5)}}, {10, {twoSentences(1, 10)}}},
         {0, 1, 2}},
        {"two fallbacks in the first window",
         {{0, {repetitive(), repetitive(), twoSentences(2, 5)}}, {5, {twoSentences(1, 5)}}, {10, {twoSentences(1, 10)}}},
         {0, 1, 2}},
        {"fallbacks in every window",
         {{0, {repetitive(), twoSentences(2, 5)}}, {5, {repetitive(), twoSentences(1, 15)}}},
         {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TaskFixture fixture(c.scripts);
        std::vector<std::int64_t> ids;
        fixture.task->run(secondMarkedAudio(20), std::nullopt,
                          [&](const TranscriptionProgress& progress) -> std::optional<bool> {
                              if (ids.empty() || ids.back() != progress.windowId) ids.push_back(progress.windowId);
                              return std::nullopt;
                          });
        EXPECT_EQ(ids, c.expectedIds);
        EXPECT_GT(fixture.task->timings().totalDecodingFallbacks, 0);
    }
}

TEST(TranscribeTaskTests, TwoMinutesInFourWindowsAndATrailingSilence) {
    TaskFixture fixture({{0, {twoSentences(10, 28)}},
                         {28, {twoSentences(10, 30)}},
                         {58, {twoSentences(10, 30)}},
                         {88, {twoSentences(10, 30)}},
                         {118, {silence()}}});
    const auto result = fixture.task->run(secondMarkedAudio(120), DecodingOptions(), {});
    std::string expectedText;
    for (int i = 0; i < 4; ++i) expectedText += " Hello world How are you?";
    EXPECT_EQ(result->text(), expectedText.substr(1));
    std::vector<Expected> expected;
    for (const int start : {0, 28, 58, 88}) {
        const float end = start == 0 ? 28.0F : static_cast<float>(start + 30);
        const std::string close = start == 0 ? "<|28.00|>" : "<|30.00|>";
        expected.push_back({start * 16000, static_cast<float>(start), static_cast<float>(start + 10),
                            "<|startoftranscript|><|en|><|transcribe|><|0.00|> Hello world<|10.00|>", 0});
        expected.push_back({start * 16000, static_cast<float>(start + 10), end, "<|10.00|> How are you?" + close, 0});
    }
    expectSegments(result->segments(), expected);
    EXPECT_EQ(fixture.discovered.size(), 4u);
    EXPECT_EQ(fixture.task->timings().totalDecodingFallbacks, 0);
    EXPECT_EQ(fixture.task->progress()->completedUnitCount(), 1920000);
}

TEST(TranscribeTaskTests, AWindowWithoutSegmentsRewindsTheDecoderInputs) {
    TaskFixture fixture({{0, {silence()}}, {30, {twoSentences(1, 10)}}});
    const auto result = fixture.task->run(secondMarkedAudio(40), DecodingOptions(), {});
    // The silent window advances by the whole window; the next one decodes from
    // an empty cache, not after the silent window's tokens.
    EXPECT_EQ(fixture.firstPositions(), (std::map<int, std::int64_t>{{0, 0}, {30, 0}}));
    expectSegments(result->segments(), {{480000, 30, 31, "<|startoftranscript|><|en|><|transcribe|><|0.00|> Hello world<|1.00|>", 0},
                                        {480000, 31, 40, "<|1.00|> How are you?<|10.00|>", 0}});
}

TEST(TranscribeTaskTests, EveryFallbackIsCounted) {
    TaskFixture fixture({{0, {repetitive(), repetitive(), twoSentences(1, 9)}}});
    const auto result = fixture.task->run(secondMarkedAudio(10), DecodingOptions(), {});
    EXPECT_EQ(fixture.task->timings().totalDecodingFallbacks, 2);
    ASSERT_FALSE(result->segments().empty());
    EXPECT_FLOAT_EQ(result->segments().front().temperature, 0.4F);
}

TEST(TranscribeTaskTests, ShortAudioMakesNoWindow) {
    TaskFixture fixture({});
    const auto result = fixture.task->run(std::vector<float>(16000, 0.0F), std::nullopt, {});
    EXPECT_EQ(result->text(), "");
    EXPECT_EQ(result->language(), "en");
    EXPECT_TRUE(result->segments().empty());
    EXPECT_EQ(fixture.task->progress()->totalUnitCount(), 16000);
    EXPECT_EQ(fixture.task->progress()->completedUnitCount(), 16000);
    EXPECT_EQ(fixture.model.backend().callCount(), 0u);
}

TEST(TranscribeTaskTests, MaxWindowSeekBoundsEveryAdvance) {
    TaskFixture fixture({{0, {twoSentences(1, 2)}}, {1, {twoSentences(1, 2)}}, {2, {twoSentences(1, 2)}},
                         {3, {twoSentences(1, 2)}}});
    const auto result = fixture.task->run(secondMarkedAudio(5), DecodingOptions({.maxWindowSeek = 16000}), {});
    std::vector<std::int64_t> seeks;
    for (const auto& segment : result->segments()) seeks.push_back(segment.seek);
    EXPECT_EQ(seeks, (std::vector<std::int64_t>{0, 0, 16000, 16000, 32000, 32000, 48000, 48000}));
}

TEST(TranscribeTaskTests, AFailingWindowEndsTheRunAfterTheEarlierWindowsWereReported) {
    // No script for the window at 20 s: the model fails there.
    TaskFixture fixture({{0, {twoSentences(1, 10)}}, {10, {twoSentences(1, 10)}}});
    EXPECT_THROW(fixture.task->run(secondMarkedAudio(40), DecodingOptions(), {}), std::exception);
    EXPECT_EQ(fixture.discovered, (std::vector<std::size_t>{2, 2}));
}

TEST(TranscribeTaskTests, ACancelledRunStopsBeforeTheNextWindow) {
    TaskFixture fixture({{0, {twoSentences(1, 10)}}, {10, {twoSentences(1, 10)}}});
    std::stop_source stop;
    fixture.task->stopToken = stop.get_token();
    fixture.task->segmentDiscoveryCallback = [&](const std::vector<TranscriptionSegment>& segments) {
        fixture.discovered.push_back(segments.size());
        stop.request_stop();
    };
    EXPECT_THROW(fixture.task->run(secondMarkedAudio(20), DecodingOptions(), {}), platform::CancellationError);
    EXPECT_EQ(fixture.discovered, (std::vector<std::size_t>{2}));
    EXPECT_EQ(fixture.firstPositions().count(10), 0u) << "the second window must not be decoded";
}

TEST(TranscribeTaskTests, ClipsChooseTheWindows) {
    struct Case {
        const char* name;
        std::vector<float> clipTimestamps;
        float windowClipTime;
        std::vector<std::int64_t> expectedSeeks;
    };
    const std::vector<Case> cases{
        {"from 5 s", {5.0F}, 1.0F, {80000}},
        {"a clip within the padding makes no window", {2.0F, 2.5F}, 1.0F, {}},
        {"a reversed clip makes no window", {6.0F, 1.0F}, 1.0F, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TaskFixture fixture({{5, {twoSentences(1, 30)}}});
        const auto result = fixture.task->run(
            secondMarkedAudio(20), DecodingOptions({.clipTimestamps = c.clipTimestamps, .windowClipTime = c.windowClipTime}), {});
        std::vector<std::int64_t> seeks;
        for (const auto& segment : result->segments()) {
            if (seeks.empty() || seeks.back() != segment.seek) seeks.push_back(segment.seek);
        }
        EXPECT_EQ(seeks, c.expectedSeeks);
        EXPECT_EQ(fixture.task->progress()->completedUnitCount(), fixture.task->progress()->totalUnitCount());
    }
}

TEST(TranscribeTaskTests, ANegativeClipPaddingStaysInsideTheClip) {
    // The window at 5 s moves the seek to 7 s, past the clip's end at 6 s but
    // within its negative padding: no window may start there.
    TaskFixture fixture({{5, {twoSentences(1, 2)}}});
    const auto result = fixture.task->run(
        secondMarkedAudio(20), DecodingOptions({.clipTimestamps = {5.0F, 6.0F}, .windowClipTime = -3.0F}), {});
    EXPECT_EQ(result->segments().size(), 2u);
}

TEST(TranscribeTaskTests, ASecondRunContinuesTheCounts) {
    TaskFixture fixture({{0, {twoSentences(1, 30)}}});
    std::vector<std::int64_t> windowIds;
    const TranscriptionCallback record = [&](const TranscriptionProgress& progress) -> std::optional<bool> {
        windowIds.push_back(progress.windowId);
        return std::nullopt;
    };
    fixture.task->run(secondMarkedAudio(20), DecodingOptions(), record);
    const auto second = fixture.task->run(secondMarkedAudio(20), DecodingOptions(), record);
    EXPECT_EQ(windowIds.front(), 0);
    EXPECT_EQ(windowIds.back(), 1);
    EXPECT_EQ(second->timings().totalDecodingWindows, 2);
    EXPECT_EQ(second->segments().size(), 2u);
}

// Without detection the run's language is the decoded result's, also when the
// window's first attempt fell back.
TEST(TranscribeTaskTests, TheRunKeepsTheLanguageOfTheDecodedResultAcrossAFallback) {
    Attempt german = twoSentences(1, 19);
    german.language = de;
    Attempt repeatedGerman = repetitive();
    repeatedGerman.language = de;
    TaskFixture fixture({{0, {repeatedGerman, german}}});
    const auto result = fixture.task->run(secondMarkedAudio(20), DecodingOptions({.language = "de"}), {});
    EXPECT_EQ(fixture.task->timings().totalDecodingFallbacks, 1);
    EXPECT_EQ(result->language(), "de");
}

TEST(TranscribeTaskTests, DetectsTheLanguageOfEveryWindowAndDecodesInIt) {
    Attempt german = twoSentences(1, 19);
    german.language = de;
    TaskFixture fixture({{0, {german}}});
    const auto result = fixture.task->run(secondMarkedAudio(20), DecodingOptions({.detectLanguage = true}), {});
    EXPECT_EQ(result->language(), "de");
    ASSERT_FALSE(result->segments().empty());
    EXPECT_EQ(result->segments().front().tokens, (std::vector<int>{sot, de, transcribe, T, 1, 2, T + 50}));
}

TEST(TranscribeTaskTests, WordTimestampsFillTheSegmentsWords) {
    TaskFixture fixture({{0, {twoSentences(2, 19)}}});
    const auto result = fixture.task->run(secondMarkedAudio(20), DecodingOptions({.wordTimestamps = true}), {});
    EXPECT_EQ(fixture.task->timings().totalTimestampAlignmentRuns, 1);
    ASSERT_FALSE(result->segments().empty());
    std::vector<std::string> words;
    for (const auto& segment : result->segments()) {
        ASSERT_TRUE(segment.words);
        EXPECT_GT(segment.end, segment.start);
        for (const auto& word : *segment.words) words.push_back(word.word);
    }
    EXPECT_EQ(words.front(), " Hello");
    EXPECT_EQ(result->text(), "Hello world How are you?");
}

} // namespace
} // namespace hushframe
