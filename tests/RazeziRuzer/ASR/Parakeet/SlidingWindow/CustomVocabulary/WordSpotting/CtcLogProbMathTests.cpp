#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcLogProbMath.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace razeziruzer;
using namespace razeziruzer::CtcLogProbMath;

namespace {

float probabilitySum(const std::vector<float>& frame) {
    float sum = 0;
    for (const float value : frame) sum += std::exp(value);
    return sum;
}

TEST(CtcLogProbMath, LogSoftmaxNormalisesWithTemperatureAndBlankPenalty) {
    const std::vector<float> scores = {1.0f, 2.0f, 3.0f};
    const auto plain = logSoftmax(scores, 1.0f);
    EXPECT_NEAR(probabilitySum(plain), 1.0f, 1e-6);
    EXPECT_FLOAT_EQ(plain[2] - plain[1], 1.0f);
    const auto hot = logSoftmax(scores, 2.0f);
    EXPECT_NEAR(probabilitySum(hot), 1.0f, 1e-6);
    EXPECT_FLOAT_EQ(hot[2] - hot[1], 0.5f);
    EXPECT_TRUE(logSoftmax({}, 1.0f).empty());

    const auto biased = applyLogSoftmax({scores, {}}, 0, 1.0f, 0.5f);
    ASSERT_EQ(biased.size(), 2u);
    EXPECT_FLOAT_EQ(biased[0][0], plain[0] - 0.5f);
    EXPECT_FLOAT_EQ(biased[0][1], plain[1]);
    EXPECT_TRUE(biased[1].empty());
    EXPECT_EQ(applyLogSoftmax({scores}, 7, 1.0f, 0.5f)[0], plain) << "a blank outside the frame is not penalised";
}

TEST(CtcLogProbMath, TrimsThePaddingFramesOfAShortWindow) {
    const CtcLogProbFrames frames(188, std::vector<float>{0.0f});
    EXPECT_EQ(trimLogProbs(frames, 16000, 240000).size(), 13u);  // ceil(16000 / 1276.6)
    EXPECT_EQ(trimLogProbs(frames, 240000, 240000).size(), 188u);
    EXPECT_EQ(trimLogProbs(frames, 0, 240000).size(), 1u);
    EXPECT_TRUE(trimLogProbs({}, 100, 240000).empty());
}

TEST(CtcLogProbMath, PlansOverlappingWindows) {
    struct Case {
        const char* name;
        std::int64_t samples;
        std::vector<std::pair<std::int64_t, std::int64_t>> expected;
    };
    for (const auto& c : std::vector<Case>{{"one window", 240000, {{0, 240000}}},
                                           {"one sample more", 240001, {{0, 240000}, {208000, 240001}}},
                                           {"300000", 300000, {{0, 240000}, {208000, 300000}}},
                                           {"three windows", 500000, {{0, 240000}, {208000, 448000}, {416000, 500000}}},
                                           {"nothing", 0, {}}}) {
        std::vector<std::pair<std::int64_t, std::int64_t>> plan;
        for (const auto& span : windowPlan(c.samples, 240000, 32000)) plan.emplace_back(span.start, span.end);
        EXPECT_EQ(plan, c.expected) << c.name;
    }
}

TEST(CtcLogProbMath, JoinsWindowsAveragingTheOverlapInProbability) {
    const float a = std::log(0.2f);
    const float b = std::log(0.6f);
    const float minusInfinity = -std::numeric_limits<float>::infinity();
    // 0.5 s frames and a 1 s overlap: two frames are shared.
    const WindowFrames first{{{0.0f}, {a, minusInfinity}, {a, minusInfinity}}, 0.5};
    const WindowFrames empty{{}, 0.5};
    const WindowFrames second{{{b, minusInfinity}, {b}, {1.0f}, {2.0f}}, 0.5};
    const auto joined = joinWindows({first, empty, second}, 1.0);
    EXPECT_EQ(joined.frameDuration, 0.5);
    ASSERT_EQ(joined.frames.size(), 5u);
    EXPECT_EQ(joined.frames[0], std::vector<float>{0.0f});
    EXPECT_NEAR(joined.frames[1][0], std::log(0.4f), 1e-6);
    EXPECT_EQ(joined.frames[1][1], minusInfinity);
    EXPECT_EQ(joined.frames[2].size(), 1u) << "a merged frame is as long as the shorter";
    EXPECT_NEAR(joined.frames[2][0], std::log(0.4f), 1e-6);
    EXPECT_EQ(joined.frames[3], std::vector<float>{1.0f});

    // A first window shorter than the overlap: only its frames are averaged.
    const auto shortFirst = joinWindows({WindowFrames{{{a}}, 0.5}, second}, 1.0);
    ASSERT_EQ(shortFirst.frames.size(), 4u);
    EXPECT_NEAR(shortFirst.frames[0][0], std::log(0.4f), 1e-6);
    EXPECT_EQ(shortFirst.frames[1], std::vector<float>{b});

    EXPECT_TRUE(joinWindows({WindowFrames{{{a}}, 0.0}}, 1.0).frames.empty());
    EXPECT_TRUE(joinWindows({}, 1.0).frames.empty());
}

} // namespace
