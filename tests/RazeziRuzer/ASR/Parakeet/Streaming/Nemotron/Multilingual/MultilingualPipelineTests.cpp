// The chunk pipeline around the decode: the voice-activity gate, the
// next-chunk prefetch, the mel window handed to the encoder, the language
// prompt, chunks without encoder frames and the partial-transcript callback.

#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/Multilingual/MultilingualStream.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include "Platform/Concurrency/ManualClock.hpp"

#include <chrono>
#include <thread>

namespace razeziruzer::multilingualkit {
namespace {

using Manager = StreamingNemotronMultilingualAsrManager;

struct Fixture {
    explicit Fixture(KitOptions options = {}, std::map<std::string, std::string> environment = {})
        : kit(folder.path(), options), manager(std::nullopt, testDependencies(std::move(environment))) {
        kit.setScript(Script{});
        manager.loadModels(kit.folder());
    }
    std::vector<float> chunk(float level, int chunks = 1) const {
        return std::vector<float>(static_cast<std::size_t>(kit.chunkSamples() * chunks), level);
    }

    testsupport::TemporaryDirectory folder;
    ScriptedMultilingualKit kit;
    Manager manager;
};

TEST(MultilingualVoiceGate, QuietChunksAfterTheHangoverAreSkippedAndStillAdvanceTheClock) {
    Fixture f({}, {{"RAZEZIRUZER_VAD_RMS_THRESHOLD", "0.01"}});
    std::vector<float> audio;
    for (const float level : {0.5f, 0.0f, 0.0f, 0.005f, 0.5f}) {
        const auto piece = f.chunk(level);
        audio.insert(audio.end(), piece.begin(), piece.end());
    }
    f.manager.process(audio);
    const auto counters = f.manager.counters();
    EXPECT_EQ(counters.vadSkipCount, 2);
    EXPECT_EQ(counters.chunkCount, 5);
    EXPECT_EQ(f.manager.processedChunks(), 3);
    EXPECT_EQ(f.manager.absoluteFrameBase(), 5 * f.kit.framesPerChunk());
    EXPECT_EQ(f.kit.calls("encoder"), 3u);
    EXPECT_EQ(f.kit.calls("preprocessor"), 3u);
}

TEST(MultilingualVoiceGate, AHangoverOfOneSkipsTheFirstQuietChunkAndTheThresholdItselfIsLoud) {
    Fixture f({}, {{"RAZEZIRUZER_VAD_RMS_THRESHOLD", "0.25"}, {"RAZEZIRUZER_VAD_HANGOVER_CHUNKS", "1"}});
    f.manager.process(f.chunk(0.25f));
    f.manager.process(f.chunk(0.0f));
    EXPECT_EQ(f.manager.counters().vadSkipCount, 1);
    EXPECT_EQ(f.manager.processedChunks(), 1);
}

TEST(MultilingualVoiceGate, WithoutAThresholdEveryChunkIsDecodedEvenSilence) {
    Fixture f;
    f.manager.process(f.chunk(0.0f, 3));
    EXPECT_EQ(f.manager.counters().vadSkipCount, 0);
    EXPECT_EQ(f.manager.processedChunks(), 3);
}

TEST(MultilingualSwitches, EnvironmentValuesAreParsedStrictly) {
    struct Case {
        std::string name;
        std::optional<std::string> value;
        float threshold;
    };
    for (const auto& c : std::vector<Case>{{"absent", std::nullopt, 0.0f}, {"zero", "0", 0.0f}, {"one", "1", 0.0f},
                                           {"above", "1.5", 0.0f}, {"negative", "-0.1", 0.0f}, {"text", "loud", 0.0f},
                                           {"leadingSpace", " 0.5", 0.0f}, {"trailingText", "0.5x", 0.0f},
                                           {"valid", "0.01", 0.01f}}) {
        std::map<std::string, std::string> variables;
        if (c.value) variables["RAZEZIRUZER_VAD_RMS_THRESHOLD"] = *c.value;
        EXPECT_EQ(NemotronMultilingualSwitches::vadRmsThreshold(fixedEnvironment(variables)), c.threshold) << c.name;
    }
    struct HangoverCase {
        std::optional<std::string> value;
        std::int64_t chunks;
    };
    for (const auto& c : std::vector<HangoverCase>{{std::nullopt, 2}, {"0", 2}, {"-3", 2}, {"three", 2}, {"+3", 3},
                                                   {"1", 1}, {"+-3", 2}, {" 3", 2}, {"99999999999999999999", 2}}) {
        std::map<std::string, std::string> variables;
        if (c.value) variables["RAZEZIRUZER_VAD_HANGOVER_CHUNKS"] = *c.value;
        EXPECT_EQ(NemotronMultilingualSwitches::vadHangoverChunks(fixedEnvironment(variables)), c.chunks)
            << c.value.value_or("absent");
    }
    struct SwitchCase {
        std::optional<std::string> value;
        bool speculative;
    };
    for (const auto& c : std::vector<SwitchCase>{{std::nullopt, true}, {"1", true}, {"off", true}, {"0", false},
                                                 {"FALSE", false}, {"No", false}}) {
        std::map<std::string, std::string> variables;
        if (c.value) variables["RAZEZIRUZER_ENABLE_SMART_SPECULATIVE"] = *c.value;
        EXPECT_EQ(NemotronMultilingualSwitches::speculativeDecodeEnabled(fixedEnvironment(variables)), c.speculative)
            << c.value.value_or("absent");
    }
    EXPECT_TRUE(NemotronMultilingualSwitches::prefetchDisabled(fixedEnvironment({{"RAZEZIRUZER_DISABLE_TRIPLE_STAGE", ""}})));
    EXPECT_TRUE(NemotronMultilingualSwitches::tokenPreallocDisabled(fixedEnvironment({{"RAZEZIRUZER_DISABLE_TOKEN_PREALLOC", "0"}})));
    EXPECT_FALSE(NemotronMultilingualSwitches::prefetchDisabled(fixedEnvironment()));
}

struct PrefetchCase {
    std::string name;
    KitOptions options;
    std::map<std::string, std::string> environment;
    std::vector<float> levels;
    bool wholeStreamAtOnce;
    std::vector<bool> ranAhead;  // per encoder call: off the caller's thread
};

TEST(MultilingualPrefetch, TheNextChunksEncoderRunsAheadOnlyWhenItIsCompleteLoudAndAllowed) {
    KitOptions stateful;
    stateful.statefulEncoder = true;
    const std::vector<PrefetchCase> cases{
        {"wholeChunksAtOnce", {}, {}, {0.5f, 0.5f, 0.5f}, true, {false, true, true}},
        {"oneChunkPerCall", {}, {}, {0.5f, 0.5f, 0.5f}, false, {false, false, false}},
        {"switchedOff", {}, {{"RAZEZIRUZER_DISABLE_TRIPLE_STAGE", ""}}, {0.5f, 0.5f}, true, {false, false}},
        {"statefulEncoder", stateful, {}, {0.5f, 0.5f}, true, {false, false}},
        {"quietNextChunk", {}, {{"RAZEZIRUZER_VAD_RMS_THRESHOLD", "0.1"}}, {0.5f, 0.05f}, true, {false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(c.options, c.environment);
        auto threads = std::make_shared<std::vector<std::thread::id>>();
        auto mutex = std::make_shared<std::mutex>();
        f.kit.control().beforeCall = [threads, mutex](const std::string& model) {
            if (model != "encoder") return;
            const std::lock_guard lock(*mutex);
            threads->push_back(std::this_thread::get_id());
        };
        std::vector<float> audio;
        for (const float level : c.levels) {
            const auto piece = f.chunk(level);
            if (!c.wholeStreamAtOnce) f.manager.process(piece);
            audio.insert(audio.end(), piece.begin(), piece.end());
        }
        if (c.wholeStreamAtOnce) f.manager.process(audio);
        std::vector<bool> ranAhead;
        for (const auto id : *threads) ranAhead.push_back(id != std::this_thread::get_id());
        EXPECT_EQ(ranAhead, c.ranAhead);
        EXPECT_EQ(f.manager.processedChunks(), static_cast<std::int64_t>(c.levels.size()));
    }
}

TEST(MultilingualPrefetch, EncoderWindowsCarryTheLastNineMelFramesOfThePreviousChunk) {
    for (const bool prefetch : {true, false}) {
        SCOPED_TRACE(prefetch ? "prefetched" : "own run");
        std::map<std::string, std::string> environment;
        if (!prefetch) environment["RAZEZIRUZER_DISABLE_TRIPLE_STAGE"] = "1";
        Fixture f({}, environment);
        std::vector<float> ramp(static_cast<std::size_t>(2 * f.kit.chunkSamples()));
        for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i / 160) * 1e-3f;
        f.manager.process(ramp);
        const auto calls = f.kit.backend("encoder")->calls();
        ASSERT_EQ(calls.size(), 2u);
        const auto first = *calls[0].inputs.at("mel").value.multiArrayValue();
        const auto second = *calls[1].inputs.at("mel").value.multiArrayValue();
        for (std::int64_t frame = 0; frame < 9; ++frame) {
            const std::vector<std::int64_t> at{0, 0, frame};
            EXPECT_EQ(first[at].floatValue(), 0.0f);
            EXPECT_FLOAT_EQ(second[at].floatValue(), static_cast<float>(47 + frame) * 1e-3f);
        }
        const std::vector<std::int64_t> firstChunkFrame{0, 0, 9};
        EXPECT_FLOAT_EQ(second[firstChunkFrame].floatValue(), 56e-3f);
        EXPECT_EQ(calls[1].inputs.at("cache_channel").value.multiArrayValue()->operator[](0).doubleValue(), 7.0);
        EXPECT_EQ(calls[1].inputs.at("cache_len").value.multiArrayValue()->operator[](0).doubleValue(), 2.0);
    }
}

TEST(MultilingualPipeline, TheEncoderIsPromptedWithTheChosenLanguage) {
    Fixture f;
    const auto prompts = [&] {
        std::vector<double> ids;
        for (const auto& call : f.kit.backend("encoder")->calls()) ids.push_back((*call.inputs.at("prompt_id").value.multiArrayValue())[0]);
        return ids;
    };
    f.manager.process(f.chunk(0.5f));
    f.manager.setLanguage("de");
    f.manager.process(f.chunk(0.5f));
    f.manager.setLanguage("pt_BR");
    f.manager.process(f.chunk(0.5f));
    f.manager.setLanguage(std::nullopt);
    f.manager.process(f.chunk(0.5f));
    f.manager.setPromptId(42);
    f.manager.process(f.chunk(0.5f));
    EXPECT_EQ(prompts(), (std::vector<double>{7, 2, 7, 7, 42}));
}

TEST(MultilingualPipeline, AChunkWithoutEncoderFramesDecodesNothingButCounts) {
    KitOptions options;
    options.chunkMelFrames = 4;
    Fixture f(options);
    int callbacks = 0;
    f.manager.setPartialCallback([&](const std::string&) { ++callbacks; });
    f.manager.process(f.chunk(0.5f));
    EXPECT_EQ(f.manager.processedChunks(), 1);
    EXPECT_EQ(f.manager.absoluteFrameBase(), 0);
    EXPECT_EQ(f.kit.calls("decoder"), 0u);
    EXPECT_EQ(callbacks, 0);
}

TEST(MultilingualPipeline, ThePartialCallbackGetsTheWholeTranscriptAfterEveryChunkWithTokens) {
    KitOptions options;
    options.chunkMelFrames = 16;  // two frames per chunk
    Fixture f(options);
    Script script;
    script.tokensPerFrame = {{1}, {}, {}, {}, {englishTag}, {}, {2}, {3}};
    f.kit.setScript(script);
    std::vector<std::string> transcripts;
    f.manager.setPartialCallback([&](const std::string& text) {
        transcripts.push_back(text);
        EXPECT_EQ(f.manager.getPartialTranscript(), text);
    });
    f.manager.process(f.chunk(0.5f, 4));
    EXPECT_EQ(transcripts, (std::vector<std::string>{"w1", "w1", "w1 w2 w3"}));
    EXPECT_EQ(f.manager.detectedLanguage(), "en");
}

TEST(MultilingualPipeline, TimeCountersAddEachStagesTimeOnTheInjectedClock) {
    testsupport::TemporaryDirectory folder;
    ScriptedMultilingualKit kit(folder.path(), {});
    kit.setScript(Script{});
    platform::ManualClock clock;
    auto dependencies = testDependencies({{"RAZEZIRUZER_DISABLE_TRIPLE_STAGE", "1"}});
    dependencies.clock = &clock;
    Manager manager(std::nullopt, dependencies);
    manager.loadModels(kit.folder());
    const std::map<std::string, std::chrono::milliseconds> costs{
        {"preprocessor", std::chrono::milliseconds(2)}, {"encoder", std::chrono::milliseconds(5)},
        {"decoder", std::chrono::milliseconds(1)}, {"joint", std::chrono::milliseconds(1)}};
    kit.control().beforeCall = [&](const std::string& model) { clock.advance(costs.at(model)); };
    manager.process(std::vector<float>(static_cast<std::size_t>(2 * kit.chunkSamples()), 0.5f));
    const auto counters = manager.counters();
    EXPECT_EQ(counters.prepNanos, 2u * 2'000'000u);
    EXPECT_EQ(counters.encNanos, 2u * 5'000'000u);
    // Each of the 14 frames ends on one blank: a decoder and a joint call.
    EXPECT_EQ(counters.decNanos, 14u * 2'000'000u);
}

} // namespace
} // namespace razeziruzer::multilingualkit
