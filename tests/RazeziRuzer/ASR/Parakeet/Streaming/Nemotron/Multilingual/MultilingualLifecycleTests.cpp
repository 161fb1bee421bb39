// The recogniser's life cycle: loading and refusing to load, chunking of
// incoming audio, finishing (every pending sample decoded), reset, clean-up,
// the forced language prefix, the final punctuation and the output buffers
// made for each model.

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/Multilingual/MultilingualStream.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/Streaming/StreamingAudio.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace razeziruzer::multilingualkit {
namespace {

using Manager = StreamingNemotronMultilingualAsrManager;

struct Loaded {
    explicit Loaded(KitOptions options = {}) : kit(folder.path(), options), manager(std::nullopt, testDependencies()) {
        kit.setScript(Script{});
        manager.loadModels(kit.folder());
    }
    std::vector<float> samples(std::int64_t count) const { return std::vector<float>(static_cast<std::size_t>(count), 0.5f); }
    std::int64_t n() const { return kit.chunkSamples(); }

    testsupport::TemporaryDirectory folder;
    ScriptedMultilingualKit kit;
    Manager manager;
};

bool throwsNotInitialized(const std::function<void()>& body) {
    try {
        body();
    } catch (const ASRError& error) {
        return error.kind() == ASRErrorKind::notInitialized;
    }
    return false;
}

TEST(MultilingualLifecycle, NothingDecodesBeforeAModelSetIsLoadedOrAfterCleanup) {
    Manager manager(std::nullopt, testDependencies());
    const std::vector<float> audio(40000, 0.5f);
    EXPECT_TRUE(throwsNotInitialized([&] { manager.process(audio); }));
    EXPECT_EQ(manager.pendingSampleCount(), 0u);
    EXPECT_TRUE(throwsNotInitialized([&] { manager.finish(); }));
    EXPECT_EQ(manager.getPartialTranscript(), "");

    Loaded loaded;
    loaded.manager.cleanup();
    EXPECT_TRUE(throwsNotInitialized([&] { loaded.manager.process(audio); }));
}

TEST(MultilingualLifecycle, WithoutTheNeuralEngineLoadingIsRefusedAndChangesNothing) {
    testsupport::TemporaryDirectory folder;
    ScriptedMultilingualKit kit(folder.path(), {});
    auto dependencies = testDependencies();
    dependencies.neuralEngineCheck = [] { return false; };
    Manager manager(std::nullopt, dependencies);
    try {
        manager.loadModels(kit.folder());
        ADD_FAILURE() << "loaded";
    } catch (const ASRError& error) {
        EXPECT_EQ(error.kind(), ASRErrorKind::unsupportedPlatform);
        EXPECT_EQ(error.message(),
                  "Nemotron multilingual int8 streaming models require Apple Silicon (ANE). Intel Macs are not supported.");
    }
    EXPECT_TRUE(throwsNotInitialized([&] { manager.process(std::vector<float>(20000, 0.5f)); }));
    EXPECT_THROW(SharedNemotronMultilingualModels::load(kit.folder(), std::nullopt, [] { return false; }), ASRError);
}

TEST(MultilingualLifecycle, AudioIsCutIntoWholeChunksEachHandedTheFollowingOneWhenComplete) {
    Loaded f;
    f.manager.process(f.samples(f.n() - 1));
    EXPECT_EQ(f.kit.calls("preprocessor"), 0u);
    EXPECT_EQ(f.manager.pendingSampleCount(), static_cast<std::size_t>(f.n() - 1));
    f.manager.process(f.samples(f.n() + 6));  // 2n + 5 pending in all
    EXPECT_EQ(f.manager.processedChunks(), 2);
    EXPECT_EQ(f.manager.pendingSampleCount(), 5u);
    f.manager.process(f.samples(17 * f.n()));
    EXPECT_EQ(f.manager.processedChunks(), 19);
    EXPECT_EQ(f.manager.pendingSampleCount(), 5u);
}

TEST(MultilingualLifecycle, FinishDecodesEveryPendingSample) {
    struct Case {
        std::string name;
        std::int64_t appendedChunks;  // through appendAudio, never processed
        std::int64_t extraSamples;
        std::int64_t chunks;
    };
    for (const auto& c : std::vector<Case>{{"nothing", 0, 0, 0}, {"oneSample", 0, 1, 1}, {"threeChunks", 3, 0, 3},
                                           {"threeChunksAndATail", 3, 100, 4}}) {
        SCOPED_TRACE(c.name);
        Loaded f;
        const auto audio = f.samples(c.appendedChunks * f.n() + c.extraSamples);
        f.manager.appendAudio(streamingtest::pcmBuffer(audio));
        Script script;
        script.tokensPerFrame.resize(static_cast<std::size_t>(c.chunks * f.kit.framesPerChunk()));
        if (c.chunks > 0) script.tokensPerFrame.back() = {5};
        f.kit.setScript(script);
        EXPECT_EQ(f.manager.finish(), c.chunks > 0 ? "w5" : "");
        EXPECT_EQ(f.manager.lastDecodeStats().processedChunks, c.chunks);
        EXPECT_EQ(f.kit.calls("preprocessor") + 0, static_cast<std::size_t>(c.chunks));
        EXPECT_EQ(f.manager.pendingSampleCount(), 0u);
    }
}

TEST(MultilingualLifecycle, ASecondFinishIsEmptyAndKeepsTheStreamGoing) {
    Loaded f;
    Script script;
    script.tokensPerFrame = {{englishTag, 1}, {}, {}, {}, {}, {}, {}, {2}};
    f.kit.setScript(script);
    f.manager.process(f.samples(f.n()));
    EXPECT_EQ(f.manager.finish(), "w1");
    EXPECT_EQ(f.manager.finish(), "");
    const auto stats = f.manager.lastDecodeStats();
    EXPECT_EQ(stats.tokenCount, 0);
    EXPECT_EQ(stats.detectedLanguage, "en");
    EXPECT_EQ(stats.processedChunks, 1);
    f.manager.process(f.samples(f.n()));
    const auto [text, timings] = f.manager.finishWithTokenTimings();
    EXPECT_EQ(text, "w2");
    ASSERT_EQ(timings.size(), 1u);
    EXPECT_EQ(timings[0].startTime, 7 * 0.08);
}

TEST(MultilingualLifecycle, ResetStartsANewUtteranceWithTheSameModelsAndSettings) {
    Loaded f;
    Script script;
    script.tokensPerFrame = {{germanTag, 3}};
    f.kit.setScript(script);
    f.manager.setLanguage("de");
    f.manager.process(f.samples(f.n()));
    EXPECT_EQ(f.manager.getPartialTranscript(), "w3");
    f.manager.reset();
    EXPECT_EQ(f.manager.getPartialTranscript(), "");
    EXPECT_EQ(f.manager.detectedLanguage(), std::nullopt);
    EXPECT_EQ(f.manager.absoluteFrameBase(), 0);
    EXPECT_EQ(f.manager.promptId(), 2);
    EXPECT_EQ(f.manager.lastToken(), blankId);
    EXPECT_EQ(f.manager.counters().chunkCount, 1);
    // The encoder starts over: the same script decodes again from frame 0.
    f.manager.process(f.samples(f.n()));
    EXPECT_EQ(f.manager.finish(), "w3");
}

TEST(MultilingualLifecycle, TheForcedPrefixSeedsTheDecoderWithTheLanguageTag) {
    Loaded f;
    f.manager.setForcedPrefix(true);
    EXPECT_EQ(f.kit.calls("decoder"), 0u);  // no language chosen yet
    f.manager.setLanguage("de");
    EXPECT_EQ(f.kit.calls("decoder"), 1u);
    EXPECT_EQ(f.manager.lastToken(), germanTag);
    EXPECT_EQ(f.manager.detectedLanguage(), "de");
    f.manager.setLanguage("de");
    EXPECT_EQ(f.kit.calls("decoder"), 2u);  // seeds again, from the state the first seed left
    f.manager.reset();
    EXPECT_EQ(f.kit.calls("decoder"), 3u);
    EXPECT_EQ(f.manager.lastToken(), germanTag);

    Script script;
    script.initialToken = germanTag;
    script.initialEmissions = 1;
    script.tokensPerFrame = {{}, {4}};
    f.kit.setScript(script);
    f.manager.process(f.samples(f.n()));
    EXPECT_EQ(f.manager.finish(), "w4");
    EXPECT_EQ(f.manager.lastDecodeStats().detectedLanguage, "de");

    f.manager.setLanguage("fr");  // no tag for it: nothing seeded
    EXPECT_EQ(f.manager.lastToken(), 4);
}

TEST(MultilingualLifecycle, WithOnlyFusedDecodersTheForcedPrefixChangesNothing) {
    KitOptions options;
    options.decoder = false;
    options.joint = false;
    options.decoderJoint = true;
    Loaded f(options);
    f.manager.setLanguage("en");
    f.manager.setForcedPrefix(true);
    EXPECT_EQ(f.manager.lastToken(), blankId);
    EXPECT_EQ(f.manager.detectedLanguage(), std::nullopt);
}

TEST(MultilingualLifecycle, PromptIdsFollowTheLanguageAndFallBackAfterLoading) {
    testsupport::TemporaryDirectory folder;
    ScriptedMultilingualKit kit(folder.path(), {});
    Manager manager(std::nullopt, testDependencies());
    manager.setLanguage("en");
    EXPECT_EQ(manager.promptId(), 101);  // the built-in configuration knows no en
    manager.loadModels(kit.folder());
    EXPECT_EQ(manager.promptId(), 7);
    manager.setLanguage("EN");
    EXPECT_EQ(manager.promptId(), 1);
    manager.setPromptId(12);
    EXPECT_EQ(manager.promptId(), 12);
    EXPECT_THROW(manager.setPromptId(std::int64_t{1} << 40), ASRError);
    EXPECT_EQ(manager.promptId(), 12);
}

TEST(MultilingualLifecycle, TheBatchedJointsWindowComesFromItsInput) {
    for (const std::int64_t window : {4, 8, 12}) {
        KitOptions options;
        options.jointBatched = true;
        options.batchWindow = window;
        Loaded f(options);
        EXPECT_EQ(f.manager.jointNoEncProjBatchedK(), window);
    }
    Loaded without;
    EXPECT_EQ(without.manager.jointNoEncProjBatchedK(), 8);
}

TEST(MultilingualLifecycle, TerminalPunctuationIsTidied) {
    struct Case {
        std::string text;
        std::optional<std::string> language;
        std::string tidied;
    };
    for (const auto& c : std::vector<Case>{{"hello", "en", "Hello."},
                                           {"\u4F60\u597D", "zh-CN", "\u4F60\u597D\u3002"},
                                           {"wow!", "en", "Wow!"},
                                           {"   ", "en", "   "},
                                           {"  spaced out \n", std::nullopt, "Spaced out."},
                                           {"konnichiwa", "JA", "Konnichiwa."},
                                           {"hai", "ja", "Hai\u3002"},
                                           {"done\u2026", "en", "Done\u2026"},
                                           {"\u00DFtrasse", "de", "SStrasse."}}) {
        EXPECT_EQ(Manager::tidyTerminalPunctuation(c.text, c.language), c.tidied) << c.text;
    }
    Loaded f;
    Script script;
    script.tokensPerFrame = {{1, 2}};
    f.kit.setScript(script);
    f.manager.setAppendTerminalPunctuation(true);
    f.manager.process(f.samples(f.n()));
    EXPECT_EQ(f.manager.finish(), "W1 w2.");
}

TEST(MultilingualLifecycle, OutputBuffersAreMadeForFixedOutputsThatAreNotFedBack) {
    using platform::coreml::MLFeatureDescription;
    using platform::coreml::MLModel;
    using platform::coreml::MLModelDescription;
    using platform::coreml::MLMultiArrayDataType;
    using platform::coreml::ScriptedModelBackend;
    const auto modelWith = [](std::vector<MLFeatureDescription> outputs) {
        return MLModel(std::make_shared<ScriptedModelBackend>(MLModelDescription::make({}, std::move(outputs)),
                                                              std::vector<ScriptedModelBackend::Outputs>{}));
    };
    EXPECT_FALSE(Manager::makePredictionOptions(std::nullopt));
    EXPECT_FALSE(Manager::makePredictionOptions(modelWith(
        {MLFeatureDescription::multiArray("h_out", {2, 1, 3}, MLMultiArrayDataType::float32),
         MLFeatureDescription::multiArray("cache_len_out", {1}, MLMultiArrayDataType::int32),
         MLFeatureDescription::multiArray("logits", {1, -1}, MLMultiArrayDataType::float32)})));
    const auto options = Manager::makePredictionOptions(modelWith(
        {MLFeatureDescription::multiArray("c_out", {2, 1, 3}, MLMultiArrayDataType::float32),
         MLFeatureDescription::multiArray("logits", {1, 1, 1, 25}, MLMultiArrayDataType::float16)}));
    ASSERT_TRUE(options);
    ASSERT_EQ(options->outputBackings.size(), 1u);
    EXPECT_EQ(options->outputBackings.at("logits").shape(), (std::vector<std::int64_t>{1, 1, 1, 25}));
    EXPECT_EQ(options->outputBackings.at("logits").dataType(), MLMultiArrayDataType::float16);
}

} // namespace
} // namespace razeziruzer::multilingualkit
