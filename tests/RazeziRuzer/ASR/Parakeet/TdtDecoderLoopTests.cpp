#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/Decoder/TdtDecoderV3.hpp"
#include "Platform/Concurrency/Cancellation.hpp"
#include "tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

// The calls below name only the settings they change; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace razeziruzer {
namespace {

using scriptedparakeet::JointAnswer;
using scriptedparakeet::JointQuery;
using scriptedparakeet::ScriptedParakeet;

constexpr int blank = 8192;

ASRConfig configWith(int maxSymbolsPerStep) {
    auto tdt = TdtConfig::default_();
    tdt.maxSymbolsPerStep = maxSymbolsPerStep;
    return ASRConfig(16000, tdt, 1024, 4, true, 480000, true, false);
}

std::vector<int> silence(int frames) { return std::vector<int>(static_cast<std::size_t>(frames), -1); }

std::vector<int> counting(int frames) {
    std::vector<int> tokens;
    for (int f = 0; f < frames; ++f) tokens.push_back(f % 50);
    return tokens;
}

// Drives one decoder over a scripted window; remembers every frame the joint visited.
class DecoderLoop {
public:
    explicit DecoderLoop(std::function<JointAnswer(const JointQuery&)> rule = {}, int topK = 0) {
        scriptedparakeet::Options options;
        options.topK = topK;
        if (rule) {
            options.joint = [this, rule](const JointQuery& query) {
                visited.push_back(query.frame);
                return rule(query);
            };
        } else {
            options.joint = [this](const JointQuery& query) {
                visited.push_back(query.frame);
                if (query.token >= 0 && query.ordinal > query.emittedCount) return JointAnswer{query.token, 0.9f, 1};
                return JointAnswer{blank, 0.95f, 1};
            };
        }
        models = std::make_unique<ScriptedParakeet>(options);
    }

    struct Call {
        std::vector<int> tokensPerFrame;
        bool isLastChunk = true;
        int contextFrameAdjustment = 0;
        int globalFrameOffset = 0;
        std::optional<int> encoderSequenceLength;
        std::optional<int> actualAudioFrames;
        std::optional<Language> language;
        const Vocabulary* vocabulary = nullptr;
        std::optional<int> emitTokensAfterGlobalFrame;
        std::optional<int> initialTimeIndexOverride;
        ASRConfig config = ASRConfig::default_();
    };

    TdtHypothesis decode(const Call& call) {
        TdtDecoderV3 decoder(call.config);
        const auto frames = static_cast<int>(call.tokensPerFrame.size());
        return decoder.decodeWithTimings(scriptedparakeet::encoderOutput(call.tokensPerFrame),
                                         call.encoderSequenceLength.value_or(frames),
                                         call.actualAudioFrames.value_or(frames),
                                         platform::coreml::MLModel(models->decoder),
                                         platform::coreml::MLModel(models->joint), state, call.contextFrameAdjustment,
                                         call.isLastChunk, call.globalFrameOffset, call.language, call.vocabulary,
                                         call.emitTokensAfterGlobalFrame, call.initialTimeIndexOverride);
    }

    int decoderCalls() const { return models->counters()->decoder; }
    int jointCalls() const { return models->counters()->joint; }

    std::unique_ptr<ScriptedParakeet> models;
    TdtDecoderState state = TdtDecoderState::make(2);
    std::vector<int> visited;
};

TEST(TdtDecoderLoopTests, DecodesEachCodedFrameOnceWithGlobalFrames) {
    DecoderLoop loop;
    const auto hypothesis = loop.decode({.tokensPerFrame = {-1, 3, 4, -1, 5, -1, -1, 9}, .globalFrameOffset = 100});
    EXPECT_EQ(hypothesis.ySequence, (std::vector<int>{3, 4, 5, 9}));
    EXPECT_EQ(hypothesis.timestamps, (std::vector<int>{101, 102, 104, 107}));
    EXPECT_EQ(hypothesis.tokenDurations, (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(hypothesis.tokenConfidences.size(), 4u);
    EXPECT_FLOAT_EQ(hypothesis.score, 3.6f);
    EXPECT_EQ(loop.state.lastToken, 9);
    EXPECT_FALSE(loop.state.predictorOutput);
    EXPECT_FALSE(loop.state.timeJump);
    EXPECT_TRUE(hypothesis.decState->hiddenState.isIdentical(loop.state.hiddenState));
}

TEST(TdtDecoderLoopTests, TooFewFramesOrALateStartRunNoModel) {
    DecoderLoop loop;
    loop.state.timeJump = 4;
    const auto early = loop.decode({.tokensPerFrame = {1, 2, 3}, .encoderSequenceLength = 1});
    EXPECT_TRUE(early.ySequence.empty());
    EXPECT_EQ(early.decState->timeJump, 4);
    const auto late = loop.decode({.tokensPerFrame = counting(188), .initialTimeIndexOverride = 188});
    EXPECT_TRUE(late.ySequence.empty());
    EXPECT_EQ(loop.decoderCalls() + loop.jointCalls(), 0);
    EXPECT_EQ(loop.state.timeJump, 4);
}

TEST(TdtDecoderLoopTests, StartFrameFollowsTheTimeJumpAndOverride) {
    struct Case {
        std::optional<int> timeJump;
        int context;
        std::optional<int> override_;
        int expectedStart;
    };
    for (const auto& c : {Case{0, 0, std::nullopt, 25}, Case{-3, 2, std::nullopt, 0}, Case{4, 2, std::nullopt, 6},
                          Case{4, 0, 7, 7}, Case{std::nullopt, 3, std::nullopt, 3}}) {
        DecoderLoop loop;
        loop.state.timeJump = c.timeJump;
        loop.decode({.tokensPerFrame = silence(40), .isLastChunk = false, .contextFrameAdjustment = c.context,
                     .initialTimeIndexOverride = c.override_});
        ASSERT_FALSE(loop.visited.empty());
        EXPECT_EQ(loop.visited.front(), c.expectedStart);
        EXPECT_EQ(loop.state.timeJump, 0);
    }
}

TEST(TdtDecoderLoopTests, BlankDurationsAdvanceWithoutRunningTheDecoder) {
    DecoderLoop loop([](const JointQuery& q) { return JointAnswer{blank, 0.9f, q.frame == 0 ? 2 : 0}; });
    loop.decode({.tokensPerFrame = silence(5), .isLastChunk = false});
    EXPECT_EQ(loop.visited, (std::vector<int>{0, 2, 3, 4}));
    EXPECT_EQ(loop.decoderCalls(), 1);  // the priming only
}

TEST(TdtDecoderLoopTests, ZeroDurationTokensStayThenMoveOn) {
    DecoderLoop loop([](const JointQuery& q) {
        if (q.frame == 1 && q.emittedCount < 2) return JointAnswer{5 + q.emittedCount, 0.9f, 0};
        return JointAnswer{blank, 0.9f, 1};
    });
    const auto hypothesis = loop.decode({.tokensPerFrame = silence(4), .isLastChunk = false});
    EXPECT_EQ(hypothesis.ySequence, (std::vector<int>{5, 6}));
    EXPECT_EQ(hypothesis.timestamps, (std::vector<int>{1, 1}));
    EXPECT_EQ(hypothesis.tokenDurations, (std::vector<int>{0, 1}));
    EXPECT_EQ(loop.visited, (std::vector<int>{0, 1, 1, 2, 3}));
}

TEST(TdtDecoderLoopTests, OneSymbolPerStepForcesEveryEmissionForward) {
    DecoderLoop loop([](const JointQuery& q) {
        if (q.frame == 1) return JointAnswer{5, 0.9f, 0};
        if (q.frame == 2) return JointAnswer{6, 0.9f, 2};
        return JointAnswer{blank, 0.9f, 1};
    });
    const auto hypothesis = loop.decode({.tokensPerFrame = silence(8), .isLastChunk = false, .config = configWith(1)});
    EXPECT_EQ(hypothesis.ySequence, (std::vector<int>{5, 6}));
    EXPECT_EQ(loop.visited, (std::vector<int>{0, 1, 2, 5, 6, 7}));
}

TEST(TdtDecoderLoopTests, ATokenAtTheLastFrameIsLeftToTheFlush) {
    const std::vector<int> frames{-1, -1, 3, -1, 7};
    DecoderLoop middle;
    EXPECT_EQ(middle.decode({.tokensPerFrame = frames, .isLastChunk = false}).ySequence, std::vector<int>{3});
    DecoderLoop last;
    const auto hypothesis = last.decode({.tokensPerFrame = frames});
    EXPECT_EQ(hypothesis.ySequence, (std::vector<int>{3, 7}));
    EXPECT_EQ(hypothesis.timestamps, (std::vector<int>{2, 4}));
}

TEST(TdtDecoderLoopTests, TheForcedAdvanceIsClampedToTheLastFrame) {
    // One symbol per step: the token at frame 6 (duration 1) would be forced to
    // frame 8, past the window; the clamp holds it at frame 7, which is visited.
    DecoderLoop once([](const JointQuery& q) {
        if (q.frame == 6 && q.emittedCount == 0) return JointAnswer{5, 0.9f, 1};
        return JointAnswer{blank, 0.9f, 1};
    });
    once.decode({.tokensPerFrame = silence(8), .isLastChunk = false, .config = configWith(1)});
    EXPECT_EQ(once.visited, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(once.state.timeJump, 0);

    // A token of duration 0 at the last frame is held there by the clamp until
    // the token cap ends the window, one frame short of its end.
    DecoderLoop held([](const JointQuery& q) {
        if (q.frame == 7) return JointAnswer{q.emittedCount % 40, 0.9f, 0};
        return JointAnswer{blank, 0.9f, 1};
    });
    const auto hypothesis = held.decode({.tokensPerFrame = silence(8), .isLastChunk = false, .config = configWith(1)});
    EXPECT_EQ(hypothesis.ySequence.size(), 150u);
    EXPECT_EQ(hypothesis.timestamps.back(), 7);
    EXPECT_EQ(hypothesis.tokenDurations.back(), 0);
    EXPECT_EQ(held.state.timeJump, -1);
}

TEST(TdtDecoderLoopTests, FlushProbesTheCurrentTheLastAndThePenultimateFrameInTurn) {
    // Ten encoder frames, six of them audio: the main loop ends at frame 6, the
    // flush probes 6, 5, 4 over and over (frame 6 lies beyond the audio but
    // inside the encoder output). The token it finds at frame 6 has duration
    // class 0: it is recorded at the last audio frame with duration 0, and the
    // flush moves on by one frame, clamped to the frame count.
    DecoderLoop loop([](const JointQuery& q) {
        if (q.frame == 6 && q.emittedCount == 0) return JointAnswer{20, 0.9f, 0};
        return JointAnswer{blank, 0.9f, 1};
    });
    const auto hypothesis =
        loop.decode({.tokensPerFrame = silence(10), .globalFrameOffset = 30, .actualAudioFrames = 6});
    EXPECT_EQ(loop.visited, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 5, 4, 6, 5, 4}));
    EXPECT_EQ(hypothesis.ySequence, std::vector<int>{20});
    EXPECT_EQ(hypothesis.timestamps, std::vector<int>{35});
    EXPECT_EQ(hypothesis.tokenDurations, std::vector<int>{0});
    EXPECT_EQ(loop.state.lastToken, 20);

}

TEST(TdtDecoderLoopTests, FlushStopsAfterFiveBlanksAndTenPasses) {
    DecoderLoop quiet;
    quiet.decode({.tokensPerFrame = silence(6)});
    EXPECT_EQ(quiet.jointCalls(), 6 + 5);

    DecoderLoop chatty([](const JointQuery& q) {
        if (q.frame >= 4) return JointAnswer{q.emittedCount % 40, 0.9f, 1};
        return JointAnswer{blank, 0.9f, 1};
    });
    const auto hypothesis = chatty.decode({.tokensPerFrame = silence(6)});
    // The main loop emits at frame 4 (frame 5's advance reaches the end), the flush ten times.
    EXPECT_EQ(hypothesis.ySequence.size(), 11u);
    EXPECT_EQ(chatty.jointCalls(), 6 + 10);
}

TEST(TdtDecoderLoopTests, TheTokenCapStopsTheWindowWithANegativeJump) {
    DecoderLoop loop;
    const auto hypothesis = loop.decode({.tokensPerFrame = counting(200), .isLastChunk = false});
    EXPECT_EQ(hypothesis.ySequence.size(), 150u);
    EXPECT_EQ(loop.state.timeJump, 151 - 200);
    EXPECT_TRUE(loop.state.predictorOutput);
}

TEST(TdtDecoderLoopTests, TokensBeforeTheEmissionThresholdStillFeedTheDecoder) {
    DecoderLoop loop;
    const auto hypothesis = loop.decode(
        {.tokensPerFrame = counting(20), .globalFrameOffset = 90, .emitTokensAfterGlobalFrame = 100});
    EXPECT_EQ(hypothesis.timestamps.front(), 100);
    EXPECT_EQ(hypothesis.ySequence.front(), 10);
    EXPECT_EQ(hypothesis.ySequence.size(), 10u);
    EXPECT_EQ(loop.decoderCalls(), 1 + 20);
}

TEST(TdtDecoderLoopTests, APunctuationTokenAtTheEndDropsTheCachedProjection) {
    DecoderLoop loop([](const JointQuery& q) {
        if (q.frame == 2 && q.emittedCount == 0) return JointAnswer{7883, 0.9f, 1};
        return JointAnswer{blank, 0.9f, 1};
    });
    loop.decode({.tokensPerFrame = silence(6), .isLastChunk = false});
    EXPECT_EQ(loop.state.lastToken, 7883);
    EXPECT_FALSE(loop.state.predictorOutput);
    EXPECT_EQ(loop.state.timeJump, 0);
    const int decoderCallsBefore = loop.decoderCalls();
    loop.decode({.tokensPerFrame = silence(30), .isLastChunk = false});
    EXPECT_EQ(loop.decoderCalls(), decoderCallsBefore + 1);  // re-run on 7883, not primed with the blank
}

TEST(TdtDecoderLoopTests, CancellationStopsTheLoop) {
    DecoderLoop loop;
    std::stop_source stop;
    stop.request_stop();
    TdtDecoderV3 decoder(ASRConfig::default_());
    EXPECT_THROW(decoder.decodeWithTimings(scriptedparakeet::encoderOutput(counting(10)), 10, 10,
                                           platform::coreml::MLModel(loop.models->decoder),
                                           platform::coreml::MLModel(loop.models->joint), loop.state, 0, true, 0,
                                           std::nullopt, nullptr, std::nullopt, std::nullopt, stop.get_token()),
                 platform::CancellationError);
}

class LanguageHintTests : public ::testing::Test {
protected:
    LanguageHintTests() {
        vocabulary = {{506, "\u2581the"}, {1502, "\u2581and"}, {9, "\u2581der"}, {10, "\u2581\u043f\u0440"},
                      {11, "\u2581die"}, {12, "\u2581hello"}};
    }

    int decodeWith(int label, std::vector<int> ids, std::vector<float> logits, Language language) {
        DecoderLoop loop(
            [=](const JointQuery& q) {
                if (q.frame == 1 && q.emittedCount == 0) return JointAnswer{label, 0.5f, 1, ids, logits};
                return JointAnswer{blank, 0.9f, 1, std::vector<int>{blank}, std::vector<float>{1.0f}};
            },
            4);
        const auto hypothesis = loop.decode(
            {.tokensPerFrame = silence(4), .isLastChunk = false, .language = language, .vocabulary = &vocabulary});
        return hypothesis.ySequence.empty() ? -1 : hypothesis.ySequence.front();
    }

    Vocabulary vocabulary;
};

TEST_F(LanguageHintTests, BlocklistReplacesEnglishFillersForOtherLatinLanguages) {
    const std::vector<int> ids{506, 1502, 10, 9, 11};
    const std::vector<float> logits{5.0f, 4.0f, 3.5f, 3.0f, 1.0f};
    EXPECT_EQ(decodeWith(506, ids, logits, Language::german), 9);
    EXPECT_EQ(decodeWith(506, ids, logits, Language::english), 506);
}

TEST_F(LanguageHintTests, ScriptFilterPrefersTheHintedScript) {
    EXPECT_EQ(decodeWith(12, {12, 10}, {5.0f, 1.0f}, Language::russian), 10);
    EXPECT_EQ(decodeWith(12, {12, 9}, {5.0f, 1.0f}, Language::russian), 12);
}

TEST(EnglishBlocklistTests, ScoreIsTheSoftmaxOverAllLogits) {
    const Vocabulary vocabulary{{506, "\u2581the"}, {9, "\u2581der"}};
    int label = 506;
    float score = 0.9f;
    TdtDecoderV3::applyEnglishBlocklist(label, score, std::vector<int>{506, 9}, std::vector<float>{2.0f, 1.0f},
                                        &vocabulary, blank);
    EXPECT_EQ(label, 9);
    EXPECT_NEAR(score, std::exp(-1.0f) / (1.0f + std::exp(-1.0f)), 1e-6);
}

} // namespace
} // namespace razeziruzer
