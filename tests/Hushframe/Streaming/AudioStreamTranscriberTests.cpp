#include "Hushframe/Decoding/SegmentSeeker.hpp"
#include "Hushframe/Decoding/TextDecoder.hpp"
#include "Hushframe/Streaming/AudioStreamTranscriber.hpp"
#include "tests/Hushframe/Audio/VirtualMicrophone.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"
#include "tests/Hushframe/Decoding/ScriptedWhisper.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace hushframe {
namespace {

using namespace hushframe::testing;
using State = AudioStreamTranscriber::State;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

// Segments ending at the given seconds of the window, one word each, each
// closed by a timestamp that also opens the next.
Attempt segmentsEndingAt(const std::vector<double>& ends) {
    Attempt attempt;
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const int stamp = T + static_cast<int>(std::lround(ends[i] * 50));
        attempt.steps.push_back({static_cast<int>(1 + i % 7)});
        attempt.steps.push_back({stamp});
        if (i + 1 < ends.size()) attempt.steps.push_back({stamp});
    }
    return attempt;
}

// Runs the hook of each poll's sleep, in order, on the loop's own thread;
// a loop that outlives its script is a failure and is stopped.
class ScriptedSleeper final : public platform::Sleeper {
public:
    std::vector<std::function<void()>> hooks;
    std::function<void()> stop;

    platform::SleepResult sleepFor(platform::Clock::Duration duration, std::stop_token) override {
        durations.push_back(duration);
        const std::size_t index = durations.size() - 1;
        if (index < hooks.size()) {
            if (hooks[index]) hooks[index]();
        } else {
            ADD_FAILURE() << "the loop went on after its script (sleep " << index << ")";
            stop();
        }
        return platform::SleepResult::completed;
    }
    std::vector<platform::Clock::Duration> durations;
};

// A transcription task of scripted runs: each reports its progress and
// returns its segments; the options and verdicts are kept.
class ScriptedTask final : public TranscribeTask {
public:
    struct Run {
        std::vector<TranscriptionProgress> reports;
        std::vector<TranscriptionSegment> segments;
    };
    explicit ScriptedTask(std::vector<Run> runs) : runs_(std::move(runs)) {}

    std::shared_ptr<TranscriptionResult> run(const std::vector<float>&, const std::optional<DecodingOptions>& options,
                                             const TranscriptionCallback& callback) override {
        if (clipStarts.size() >= runs_.size()) throw std::runtime_error("no run left in the script");
        clipStarts.push_back(options->clipTimestamps);
        const Run& run = runs_[clipStarts.size() - 1];
        for (const auto& report : run.reports) verdicts.push_back(callback(report));
        return std::make_shared<TranscriptionResult>("", run.segments, "en", TranscriptionTimings{});
    }

    std::vector<std::vector<float>> clipStarts;
    std::vector<std::optional<bool>> verdicts;

private:
    std::vector<Run> runs_;
};

TranscriptionProgress report(std::string text, double fallbacks, std::optional<float> avgLogprob = std::nullopt) {
    TranscriptionProgress progress;
    progress.text = std::move(text);
    progress.timings.totalDecodingFallbacks = fallbacks;
    progress.avgLogprob = avgLogprob;
    return progress;
}

struct Settings {
    std::int64_t requiredSegmentsForConfirmation = 2;
    float silenceThreshold = 0.5F;
    std::int64_t compressionCheckWindow = 60;
    bool useVAD = false;
    bool permission = true;
};

class StreamFixture {
public:
    explicit StreamFixture(WindowScripts scripts, Settings settings = {}) : model(std::move(scripts)) {
        decoder->setModel(model.model());
        decoder->setTokenizer(tokenizer);
        decoder->setIsModelMultilingual(true);
        transcriber = AudioStreamTranscriber::create(
            std::make_shared<MarkerAudioEncoder>(), std::make_shared<MarkerFeatureExtractor>(),
            std::make_shared<SegmentSeeker>(), decoder, tokenizer, processor, DecodingOptions(),
            settings.requiredSegmentsForConfirmation, settings.silenceThreshold, settings.compressionCheckWindow,
            settings.useVAD, [this](const State& old, const State& now) { changes.emplace_back(old, now); }, sleeper,
            [allowed = settings.permission] { return allowed; });
        sleeper.stop = [this] { transcriber->stopStreamTranscription(); };
    }

    // Samples valued by the second they belong to (the marker of a window
    // starting there), spoken in blocks of 1600.
    void speakSeconds(std::int64_t from, std::int64_t count) {
        for (std::int64_t sample = from; sample < from + count; sample += 1600) {
            std::vector<float> block(static_cast<std::size_t>(std::min<std::int64_t>(1600, from + count - sample)));
            for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<float>((sample + static_cast<std::int64_t>(i)) / 16000);
            microphone.speak(block);
        }
    }

    // Window markers in the order their decoding began.
    std::vector<int> decodedWindows() const {
        std::vector<int> windows;
        for (const auto& call : model.backend().calls()) {
            if (call.inputs.at("cache_length").value.multiArrayValue()->operator[](0).int32Value() != 0) continue;
            windows.push_back(static_cast<int>(std::lround(
                static_cast<double>(call.inputs.at("encoder_output_embeds").value.multiArrayValue()->operator[](0)))));
        }
        return windows;
    }

    // Every value `field` took in the reported changes, consecutive repeats folded.
    template <typename Field>
    auto history(Field field) {
        transcriber->state(); // every queued update has run
        std::vector<std::decay_t<decltype(field(State{}))>> values;
        for (const auto& [old, now] : changes) {
            if (values.empty()) values.push_back(field(old));
            if (field(now) != values.back()) values.push_back(field(now));
        }
        return values;
    }

    ScriptedDecoderModel model;
    std::shared_ptr<ScriptTokenizer> tokenizer = std::make_shared<ScriptTokenizer>();
    std::shared_ptr<TextDecoder> decoder = std::make_shared<TextDecoder>();
    VirtualMicrophone microphone;
    std::shared_ptr<AudioProcessor> processor = std::make_shared<AudioProcessor>(microphone.factory());
    ScriptedSleeper sleeper;
    std::vector<std::pair<State, State>> changes; // written on the transcriber's queue
    std::shared_ptr<AudioStreamTranscriber> transcriber;
};

std::vector<float> ends(const std::vector<TranscriptionSegment>& segments) {
    std::vector<float> result;
    for (const auto& segment : segments) result.push_back(segment.end);
    return result;
}

TEST(AudioStreamTranscriber, ConfirmsAllButTheTrailingSegmentsAndGoesOnFromTheLastConfirmedEnd) {
    StreamFixture fixture({{0, {segmentsEndingAt({2, 4, 6, 8, 9.5})}}, {6, {segmentsEndingAt({2, 4, 5})}}});
    auto& sleeper = fixture.sleeper;
    sleeper.hooks = {
        [&] { fixture.speakSeconds(0, 160000); }, // ten seconds: the first run
        [&] { fixture.speakSeconds(160000, 16000); }, // exactly one second more: not enough
        [&] { fixture.speakSeconds(176000, 1); },     // one sample more: the second run
        [&] { fixture.transcriber->stopStreamTranscription(); },
    };

    fixture.transcriber->startStreamTranscription();

    const State state = fixture.transcriber->state();
    EXPECT_FALSE(state.isRecording);
    EXPECT_EQ(fixture.decodedWindows(), (std::vector<int>{0, 6}));
    EXPECT_THAT(ends(state.confirmedSegments), ElementsAre(2, 4, 6, 8));
    EXPECT_THAT(ends(state.unconfirmedSegments), ElementsAre(10, 11));
    EXPECT_EQ(state.lastConfirmedSegmentEndSeconds, 8);
    EXPECT_EQ(state.lastBufferSize, 176001);
    EXPECT_EQ(state.currentText, AudioStreamTranscriber::waitingText);
    EXPECT_EQ(state.bufferEnergy, fixture.processor->relativeEnergy());
    EXPECT_EQ(state.bufferEnergy.size(), 111u);
    EXPECT_EQ(sleeper.durations, std::vector<platform::Clock::Duration>(4, std::chrono::milliseconds(100)));
    EXPECT_THAT(fixture.history([](const State& s) { return s.lastConfirmedSegmentEndSeconds; }), ElementsAre(0, 6, 8));
    // Waiting is shown only over an empty text: three times in four waits.
    const auto waits = std::count_if(fixture.changes.begin(), fixture.changes.end(), [](const auto& change) {
        return change.second.currentText == AudioStreamTranscriber::waitingText &&
               change.first.currentText != AudioStreamTranscriber::waitingText;
    });
    EXPECT_EQ(waits, 3);
    EXPECT_THAT(fixture.microphone.events, ElementsAre("make 1", "start 1", "removeTap 1", "stop 1", "destroy 1"));
}

TEST(AudioStreamTranscriber, ARunWithNoMoreSegmentsThanKeptConfirmsNothing) {
    StreamFixture fixture({{0, {segmentsEndingAt({3, 10}), segmentsEndingAt({2, 5, 12})}}});
    auto& sleeper = fixture.sleeper;
    sleeper.hooks = {
        [&] { fixture.speakSeconds(0, 160000); },
        [&] { fixture.speakSeconds(160000, 32000); },
        [&] { fixture.transcriber->stopStreamTranscription(); },
    };

    fixture.transcriber->startStreamTranscription();

    EXPECT_EQ(fixture.decodedWindows(), (std::vector<int>{0, 0}));
    const auto unconfirmed = fixture.history([](const State& s) { return ends(s.unconfirmedSegments); });
    EXPECT_THAT(unconfirmed, ElementsAre(std::vector<float>{}, std::vector<float>{3, 10}, std::vector<float>{5, 12}));
    const State state = fixture.transcriber->state();
    EXPECT_THAT(ends(state.confirmedSegments), ElementsAre(2));
    EXPECT_EQ(state.lastConfirmedSegmentEndSeconds, 2);
}

TEST(AudioStreamTranscriber, TheSilenceGateLooksPastTheNewestTenthsAndWaitsWithoutMovingOn) {
    Settings settings;
    settings.useVAD = true;
    StreamFixture fixture({{0, {segmentsEndingAt({1})}}}, settings);
    auto& sleeper = fixture.sleeper;
    const auto speak = [&](int blocks, float level) {
        for (int i = 0; i < blocks; ++i) fixture.microphone.speak(std::vector<float>(1600, level));
    };
    testing::PackageLogCapture log;
    sleeper.hooks = {
        // 1.5 s: the gate reads the oldest 10 of the last 15 values, all quiet.
        [&] { speak(10, 0.001F), speak(5, 0.5F); },
        // 3 s: the oldest 20 of the last 30 now hold the loud ones.
        [&] { speak(15, 0.001F); },
        [&] { fixture.transcriber->stopStreamTranscription(); },
    };

    fixture.transcriber->startStreamTranscription();

    EXPECT_THAT(log.messages(), Contains("No voice detected, skipping transcribe"));
    EXPECT_EQ(fixture.decodedWindows(), (std::vector<int>{0}));
    EXPECT_EQ(fixture.history([](const State& s) { return s.lastBufferSize; }), (std::vector<std::int64_t>{0, 48000}));
}

TEST(AudioStreamTranscriber, EarlyStopVerdicts) {
    struct Case {
        const char* name;
        std::size_t tokens;
        std::optional<float> compressionRatioThreshold;
        std::optional<float> avgLogprob;
        std::optional<float> logProbThreshold;
        std::optional<bool> verdict;
    };
    const std::vector<Case> cases{
        {"repetitive but not more tokens than the window", 60, 2.4F, std::nullopt, -1.0F, std::nullopt},
        {"repetitive beyond the window", 61, 2.4F, std::nullopt, -1.0F, false},
        {"ratio not above the threshold", 61, 1000.0F, std::nullopt, -1.0F, std::nullopt},
        {"absent ratio threshold counts as zero", 61, std::nullopt, std::nullopt, -1.0F, false},
        {"unlikely tokens", 10, 2.4F, -1.2F, -1.0F, false},
        {"likely tokens", 10, 2.4F, -0.8F, -1.0F, std::nullopt},
        {"no average yet", 10, 2.4F, std::nullopt, -1.0F, std::nullopt},
        {"no log-probability threshold", 10, 2.4F, -5.0F, std::nullopt, std::nullopt},
        {"not a number", 10, 2.4F, std::nanf(""), -1.0F, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptionProgress progress;
        progress.tokens.assign(c.tokens, 9);
        progress.avgLogprob = c.avgLogprob;
        DecodingOptions options;
        options.compressionRatioThreshold = c.compressionRatioThreshold;
        options.logProbThreshold = c.logProbThreshold;
        EXPECT_EQ(AudioStreamTranscriber::shouldStopEarly(progress, options, 60), c.verdict);
    }
}

TEST(AudioStreamTranscriber, PartialTextsFollowTheProgressAndAShorterOneKeepsTheOldText) {
    ScriptedTask::Run run;
    run.reports = {
        report("abcdef", 0),
        report("\u00e9\u00e9\u00e9\u00e9\u00e9", 0), // fewer characters, more bytes: "abcdef" is kept
        report("\u00e9\u00e9", 1),                // shorter after a fallback: logged, nothing kept
        report("\u00e9\u00e9 again", 1, -1.2F),   // too unlikely: the window is stopped
    };
    auto owned = std::make_unique<ScriptedTask>(std::vector<ScriptedTask::Run>{run});
    ScriptedTask& task = *owned;
    VirtualMicrophone microphone;
    ScriptedSleeper sleeper;
    std::vector<std::pair<State, State>> changes;
    const auto transcriber = AudioStreamTranscriber::create(
        std::move(owned), std::make_shared<AudioProcessor>(microphone.factory()), DecodingOptions(), 2, 0.5F, 60, false,
        [&](const State& old, const State& now) { changes.emplace_back(old, now); }, sleeper, [] { return true; });
    sleeper.stop = [&] { transcriber->stopStreamTranscription(); };
    sleeper.hooks = {[&] { microphone.speak(std::vector<float>(16001, 0.1F)); }, sleeper.stop};
    testing::PackageLogCapture log(pelluxcore::Logging::LogLevel::info);

    transcriber->startStreamTranscription();
    transcriber->state();

    std::vector<std::string> texts;
    std::vector<std::vector<std::string>> kept;
    for (const auto& [old, now] : changes) {
        if (now.currentText != old.currentText) texts.push_back(now.currentText);
        if (now.unconfirmedText != old.unconfirmedText) kept.push_back(now.unconfirmedText);
    }
    const std::string waiting = AudioStreamTranscriber::waitingText;
    EXPECT_THAT(texts, ElementsAre(waiting, "abcdef", "\u00e9\u00e9\u00e9\u00e9\u00e9", "\u00e9\u00e9",
                                   "\u00e9\u00e9 again", "", waiting));
    // The waiting notice is not kept: it was no decoded text.
    EXPECT_THAT(kept, ElementsAre(std::vector<std::string>{"abcdef"}, std::vector<std::string>{}));
    EXPECT_THAT(log.messages(), Contains("Fallback occured: 1"));
    EXPECT_EQ(transcriber->state().currentFallbacks, 1);
    EXPECT_THAT(task.verdicts, ElementsAre(std::nullopt, std::nullopt, std::nullopt, false));
    EXPECT_THAT(task.clipStarts, ElementsAre(std::vector<float>{0}));
}

TEST(AudioStreamTranscriber, StartsOnceAndNotWithoutPermission) {
    {
        SCOPED_TRACE("already recording");
        StreamFixture fixture({});
        fixture.sleeper.hooks = {
            [&] { fixture.transcriber->startStreamTranscription(); },
            [&] { fixture.transcriber->stopStreamTranscription(); },
        };
        fixture.transcriber->startStreamTranscription();
        EXPECT_THAT(fixture.microphone.events, ElementsAre("make 1", "start 1", "removeTap 1", "stop 1", "destroy 1"));
        EXPECT_EQ(fixture.sleeper.durations.size(), 2u);
    }
    {
        SCOPED_TRACE("permission refused");
        Settings settings;
        settings.permission = false;
        StreamFixture fixture({}, settings);
        testing::PackageLogCapture log;
        fixture.transcriber->startStreamTranscription();
        EXPECT_THAT(log.messages(), Contains("Microphone access was not granted."));
        EXPECT_TRUE(fixture.microphone.events.empty());
        EXPECT_EQ(fixture.transcriber->state(), State{});
    }
}

TEST(AudioStreamTranscriber, ACaptureThatFailsToStartIsReportedAndLeavesRecordingOnUntilStop) {
    StreamFixture fixture({});
    fixture.microphone.startError = "no input";

    EXPECT_THROW(fixture.transcriber->startStreamTranscription(), platform::audio::CaptureError);
    EXPECT_TRUE(fixture.transcriber->state().isRecording);
    fixture.transcriber->startStreamTranscription(); // returns at once
    EXPECT_TRUE(fixture.sleeper.durations.empty());
    EXPECT_THAT(fixture.microphone.events, ElementsAre("make 1", "start 1", "destroy 1"));

    fixture.transcriber->stopStreamTranscription();
    EXPECT_FALSE(fixture.transcriber->state().isRecording);
}

TEST(AudioStreamTranscriber, AFailingRunEndsTheLoopWithAnErrorLine) {
    StreamFixture fixture({}); // no window has a script
    testing::PackageLogCapture log;
    fixture.sleeper.hooks = {[&] { fixture.speakSeconds(0, 32000); }};

    fixture.transcriber->startStreamTranscription();

    EXPECT_THAT(log.messages(), Contains(::testing::StartsWith("Error: ")));
    EXPECT_TRUE(fixture.transcriber->state().isRecording);
    EXPECT_EQ(fixture.sleeper.durations.size(), 1u);
}

TEST(AudioStreamTranscriber, StoppingDuringARunLetsItFinishAndAStartAfterwardsKeepsTheState) {
    StreamFixture fixture({{0, {segmentsEndingAt({2, 4, 6})}}, {2, {segmentsEndingAt({1, 3, 4})}}});
    bool stopped = false;
    std::shared_ptr<AudioStreamTranscriber> transcriber;
    fixture.sleeper.hooks = {[&] { fixture.speakSeconds(0, 32001); }};
    // The first partial text stops recording while the run goes on.
    const auto watch = [&](const State&, const State& now) {
        if (!stopped && !now.currentText.empty() && now.currentText != AudioStreamTranscriber::waitingText) {
            stopped = true;
            transcriber->stopStreamTranscription();
        }
    };
    transcriber = AudioStreamTranscriber::create(
        std::make_shared<MarkerAudioEncoder>(), std::make_shared<MarkerFeatureExtractor>(),
        std::make_shared<SegmentSeeker>(), fixture.decoder, fixture.tokenizer, fixture.processor, DecodingOptions(), 2,
        0.5F, 60, false, watch, fixture.sleeper, [] { return true; });
    fixture.sleeper.stop = [&] { transcriber->stopStreamTranscription(); };

    transcriber->startStreamTranscription();

    State state = transcriber->state();
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(state.isRecording);
    EXPECT_THAT(ends(state.confirmedSegments), ElementsAre(2));
    EXPECT_EQ(state.lastBufferSize, 32001);

    // A new capture starts empty; nothing runs until it is a second longer than before.
    fixture.sleeper.hooks.resize(fixture.sleeper.durations.size());
    fixture.sleeper.hooks.push_back([&] { fixture.speakSeconds(0, 48000); });
    fixture.sleeper.hooks.push_back([&] { fixture.speakSeconds(48000, 2); });
    fixture.sleeper.hooks.push_back([&] { transcriber->stopStreamTranscription(); });
    stopped = true;

    transcriber->startStreamTranscription();

    EXPECT_EQ(fixture.decodedWindows(), (std::vector<int>{0, 2}));
    state = transcriber->state();
    EXPECT_EQ(state.lastBufferSize, 48002);
    EXPECT_THAT(ends(state.confirmedSegments), ElementsAre(2, 3));
}

} // namespace
} // namespace hushframe
