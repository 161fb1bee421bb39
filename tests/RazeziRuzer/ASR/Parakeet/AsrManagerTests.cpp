#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "Platform/Concurrency/Cancellation.hpp"
#include "RazeziRuzer/Shared/MLArrayCache.hpp"
#include "tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using platform::coreml::MLMultiArrayDataType;
using scriptedparakeet::ScriptedParakeet;

ASRErrorKind failureKind(const std::function<void()>& action) {
    try {
        action();
    } catch (const ASRError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "expected an ASRError";
    return ASRErrorKind::modelLoadFailed;
}

// A token on every other frame, so a full window stays under the per-window token cap.
std::vector<int> alternating(int frames, std::vector<int>* tokens) {
    std::vector<int> perFrame;
    for (int f = 0; f < frames; ++f) {
        const int token = f % 2 == 0 ? (f / 2) % 60 : -1;
        perFrame.push_back(token);
        if (token >= 0) tokens->push_back(token);
    }
    return perFrame;
}

class AsrManagerTests : public ::testing::Test {
protected:
    explicit AsrManagerTests(scriptedparakeet::Options options = {}) : scripted(options) {
        manager.loadModels(scripted.models());
    }

    ASRResult transcribe(std::span<const float> samples, std::optional<Language> language = std::nullopt) {
        return manager.transcribe(samples, state, language);
    }

    ScriptedParakeet scripted;
    AsrManager manager;
    TdtDecoderState state = TdtDecoderState::make(2);
};

TEST_F(AsrManagerTests, OneWindowTranscribesTheCodedTokens) {
    for (const int frames : {25, 188}) {
        std::vector<int> tokens;
        auto audio = scriptedparakeet::codedAudio(alternating(frames, &tokens));
        audio.resize(std::min<std::size_t>(audio.size(), 240000));
        state.reset();
        const auto result = transcribe(audio);
        EXPECT_EQ(result.text, ScriptedParakeet::expectedText(tokens)) << frames;
        EXPECT_DOUBLE_EQ(result.duration, static_cast<double>(audio.size()) / 16000);
        ASSERT_TRUE(result.tokenTimings);
        EXPECT_EQ(result.tokenTimings->size(), tokens.size());
        EXPECT_NEAR(result.confidence, 0.9f, 1e-5);
        EXPECT_FALSE(result.performanceMetrics || result.ctcDetectedTerms || result.ctcAppliedTerms);
        EXPECT_FALSE(state.predictorOutput);
        EXPECT_EQ(state.lastToken, tokens.back());
    }
    // The joint sees the aligned arrays with their padded rows.
    EXPECT_EQ(scripted.counters()->encoderStepStride, 16);
    EXPECT_EQ(scripted.counters()->decoderStepStride, 16);
}

TEST_F(AsrManagerTests, WindowAlignmentAndMinimumLength) {
    EXPECT_EQ(failureKind([&] { transcribe(std::vector<float>(4799)); }), ASRErrorKind::invalidAudioData);
    EXPECT_EQ(scripted.counters()->preprocessor, 0);
    struct Case {
        std::size_t samples;
        int audioLength;
    };
    for (const auto& c : {Case{4800, 5120}, Case{16000, 16640}, Case{12800, 12800}, Case{239500, 239500},
                          Case{240000, 240000}}) {
        const auto result = transcribe(std::vector<float>(c.samples));
        EXPECT_EQ(scripted.counters()->lastAudioLength, c.audioLength) << c.samples;
        EXPECT_DOUBLE_EQ(result.duration, static_cast<double>(c.samples) / 16000);
        EXPECT_EQ(result.text, "");
        EXPECT_FLOAT_EQ(result.confidence, 0.1f);
    }
    const auto aligned = AsrManager::frameAlignedAudio(std::vector<float>(16000, 1.0f), true);
    EXPECT_EQ(aligned.frameAlignedLength, 16640);
    EXPECT_EQ(aligned.samples.size(), 16640u);
    EXPECT_EQ(aligned.samples.back(), 0.0f);
    EXPECT_EQ(AsrManager::frameAlignedAudio(std::vector<float>(16000), false).samples.size(), 16000u);
}

TEST_F(AsrManagerTests, TokensTheVocabularyLacksGiveAnEmptyLowConfidenceText) {
    manager.setVocabulary({});
    const auto result = transcribe(scriptedparakeet::codedAudio({3, -1, 4, -1}));
    EXPECT_EQ(result.text, "");
    EXPECT_FLOAT_EQ(result.confidence, 0.1f);
    EXPECT_EQ(result.tokenTimings->front().token, "token_3");
}

TEST_F(AsrManagerTests, LongAudioGoesToTheChunkingServiceWithProgress) {
    std::vector<int> tokens;
    const auto audio = scriptedparakeet::codedAudio(alternating(250, &tokens));
    state.lastToken = 77;
    auto stream = manager.transcriptionProgressStream();
    const auto result = transcribe(audio);
    EXPECT_EQ(state.lastToken, 77);
    EXPECT_DOUBLE_EQ(result.duration, 20.0);
    EXPECT_FALSE(result.text.empty());
    std::optional<double> last;
    while (const auto value = stream.next()) last = value;
    EXPECT_EQ(last, 1.0);
}

TEST_F(AsrManagerTests, AvailabilityFollowsTheInstalledModels) {
    EXPECT_TRUE(manager.isAvailable());
    manager.cleanup();
    EXPECT_FALSE(manager.isAvailable());
    EXPECT_EQ(manager.decoderLayerCount(), 2);
    EXPECT_FALSE(manager.vocabulary().empty());
    EXPECT_EQ(failureKind([&] { transcribe(std::vector<float>(16000)); }), ASRErrorKind::notInitialized);
    EXPECT_FALSE(manager.makeWorkerClone());
    manager.loadModels(scripted.models());
    EXPECT_NO_THROW(transcribe(std::vector<float>(16000)));
    manager.setEncoderModel(std::nullopt);
    EXPECT_FALSE(manager.isAvailable());

    const AsrManager fresh;
    EXPECT_FALSE(fresh.isAvailable());
    EXPECT_EQ(fresh.decoderLayerCount(), 2);

    scriptedparakeet::Options fusedOptions;
    fusedOptions.version = AsrModelVersion::tdtCtc110m;
    const ScriptedParakeet fused(fusedOptions);
    AsrManager small(ASRConfig::default_(), fused.models());
    EXPECT_TRUE(small.isAvailable());
    EXPECT_EQ(small.decoderLayerCount(), 1);
    auto smallState = TdtDecoderState::make(1);
    std::vector<int> tokens;
    const auto audio = scriptedparakeet::codedAudio(alternating(30, &tokens));
    EXPECT_EQ(small.transcribe(audio, smallState).text, ScriptedParakeet::expectedText(tokens));
    const auto clone = small.makeWorkerClone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->modelVersion(), AsrModelVersion::tdtCtc110m);
}

TEST_F(AsrManagerTests, APassKeepsTheModelsItStartedWith) {
    scriptedparakeet::Options options;
    AsrManager* target = &manager;
    bool dropped = false;
    options.onPreprocessor = [&] {
        if (!dropped) target->cleanup();
        dropped = true;
    };
    const ScriptedParakeet swapping(options);
    manager.loadModels(swapping.models());
    std::vector<int> tokens;
    const auto audio = scriptedparakeet::codedAudio(alternating(20, &tokens));
    EXPECT_EQ(transcribe(audio).text, ScriptedParakeet::expectedText(tokens));
    EXPECT_EQ(failureKind([&] { transcribe(std::vector<float>(16000)); }), ASRErrorKind::notInitialized);
}

TEST_F(AsrManagerTests, CancellationGivesTheInputArrayBack) {
    const MLArrayCache::CacheKey key{{1, 1000}, MLMultiArrayDataType::float32};
    const auto before = sharedMLArrayCache().cachedArrayCount(key);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_THROW(manager.executeMLInferenceWithTimings(std::vector<float>(1000), std::nullopt, std::nullopt, state, 0,
                                                       true, 0, std::nullopt, std::nullopt, std::nullopt,
                                                       stop.get_token()),
                 platform::CancellationError);
    EXPECT_EQ(sharedMLArrayCache().cachedArrayCount(key), before + 1);
    EXPECT_EQ(scripted.counters()->preprocessor, 0);
}

TEST_F(AsrManagerTests, ExecutePassReportsTheEncoderLength) {
    auto window = scriptedparakeet::codedAudio({5, -1, 6, -1, -1});
    window.resize(240000, 0.0f);
    const auto pass = manager.executeMLInferenceWithTimings(window, 6400, std::nullopt, state, 0, false, 50);
    EXPECT_EQ(pass.encoderSequenceLength, 5);
    EXPECT_EQ(pass.hypothesis.ySequence, (std::vector<int>{5, 6}));
    EXPECT_EQ(pass.hypothesis.timestamps, (std::vector<int>{50, 52}));
    EXPECT_EQ(state.timeJump, 0);
}

TEST_F(AsrManagerTests, V2IgnoresTheLanguageHintWithADebugLine) {
    scriptedparakeet::Options options;
    options.version = AsrModelVersion::v2;
    const ScriptedParakeet v2(options);
    manager.loadModels(v2.models());
    std::vector<int> tokens;
    const auto audio = scriptedparakeet::codedAudio(alternating(10, &tokens));
    {
        const platform::ScopedLogCapture log;
        EXPECT_EQ(transcribe(audio, Language::german).text, ScriptedParakeet::expectedText(tokens));
        EXPECT_TRUE(log.contains("Ignoring `language` hint: script filtering requires the v3 joint decoder; loaded "
                                 "model is v2."));
    }
    const platform::ScopedLogCapture log;
    transcribe(audio);
    EXPECT_FALSE(log.contains("Ignoring `language` hint"));
}

class SplitFrontEndTests : public AsrManagerTests {
protected:
    static scriptedparakeet::Options extra(std::string name) {
        scriptedparakeet::Options options;
        options.extraEncoderInputs = {std::move(name)};
        options.encoderHiddenFirst = false;
        options.projectionHiddenLast = true;
        return options;
    }
};

class EncoderFallbackTests : public SplitFrontEndTests {
protected:
    EncoderFallbackTests() : fallback(extra("audio_length")), missing(extra("mystery")) {}
    ScriptedParakeet fallback;
    ScriptedParakeet missing;
};

TEST_F(EncoderFallbackTests, EncoderInputsComeFromThePreprocessorInputWhenNeeded) {
    manager.loadModels(fallback.models());
    std::vector<int> tokens;
    const auto audio = scriptedparakeet::codedAudio(alternating(12, &tokens));
    EXPECT_EQ(transcribe(audio).text, ScriptedParakeet::expectedText(tokens));

    manager.loadModels(missing.models());
    try {
        transcribe(std::vector<float>(16000));
        ADD_FAILURE();
    } catch (const ASRError& error) {
        EXPECT_EQ(error.message(), "Missing required encoder input: mystery. Available inputs: mel, mel_length, "
                                   "fallback inputs: audio_length, audio_signal");
    }
}

TEST(AsrManagerTextTests, ConvertsTokensToText) {
    AsrManager manager;
    manager.setVocabulary({{1, "\u2581Hel"}, {2, "lo"}, {3, "\u2581world"}});
    EXPECT_EQ(manager.convertTokensToText({1, 2, 3}), "Hello world");
    EXPECT_EQ(manager.convertTokensToText({}), "");
    EXPECT_EQ(AsrManager::normalizedTimingToken("\u2581a\u2581b"), " a b");
}

} // namespace
} // namespace razeziruzer
