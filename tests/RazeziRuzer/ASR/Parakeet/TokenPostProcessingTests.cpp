#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/TokenPostProcessing.hpp"
#include "tests/Support/ScopedEnvironment.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

namespace razeziruzer::TokenPostProcessing {
namespace {

const AppLogger logger("ASR");

TEST(ConfidenceTests, MeanWithinFloorAndCeiling) {
    struct Case {
        int count;
        bool empty;
        std::vector<float> confidences;
        float expected;
    };
    for (const auto& c : {Case{3, false, {0.9f, 0.8f, 1.0f}, 0.9f}, Case{2, true, {0.9f, 0.9f}, 0.1f},
                          Case{2, false, {0.05f, 0.05f}, 0.1f}, Case{2, false, {1.5f, 1.5f}, 1.0f}}) {
        EXPECT_FLOAT_EQ(calculateConfidence(c.count, c.empty, c.confidences, logger), c.expected);
    }
}

TEST(ConfidenceTests, MismatchedConfidencesGiveOneHalfWithAWarning) {
    for (const auto& [count, confidences] :
         std::vector<std::pair<int, std::vector<float>>>{{2, {0.9f, 0.8f, 1.0f}}, {3, {}}, {0, {}}}) {
        const platform::ScopedLogCapture log;
        EXPECT_FLOAT_EQ(calculateConfidence(count, false, confidences, logger), 0.5f);
        EXPECT_TRUE(log.contains("Expected token confidences but got none - this should not happen"));
    }
}

class TokenTimingTests : public ::testing::Test {
protected:
    TokenTimingTests() { environment.unset("TDT_EMISSION_DELAY_FRAMES"); }

    std::vector<TokenTiming> timings(std::vector<int> frames, std::vector<int> durations = {}) {
        std::vector<int> tokens;
        for (std::size_t i = 0; i < frames.size(); ++i) tokens.push_back(static_cast<int>(i) + 1);
        return createTokenTimings(tokens, frames, std::vector<float>(frames.size(), 0.9f), durations, vocabulary);
    }

    testsupport::ScopedEnvironment environment;
    Vocabulary vocabulary{{1, "\u2581He"}, {2, "llo"}};
};

TEST_F(TokenTimingTests, DefaultDelayAndNextTokenEnds) {
    const auto result = timings({10, 12});
    ASSERT_EQ(result.size(), 2u);
    EXPECT_NEAR(result[0].startTime, 0.72, 1e-9);
    EXPECT_NEAR(result[0].endTime, 0.88, 1e-9);
    EXPECT_NEAR(result[1].startTime, 0.88, 1e-9);
    EXPECT_NEAR(result[1].endTime, 0.96, 1e-9);
    EXPECT_EQ(result[0].token, " He");
    EXPECT_EQ(result[1].token, "llo");
    EXPECT_EQ(timings({0})[0].startTime, 0.0);
}

TEST_F(TokenTimingTests, DelayFromTheEnvironment) {
    struct Case {
        const char* value;
        double start;
    };
    for (const auto& c : {Case{"0", 0.8}, Case{"-2", 0.96}, Case{"+0", 0.8}, Case{"two", 0.72}, Case{"", 0.72},
                          Case{" 0", 0.72}}) {
        environment.set("TDT_EMISSION_DELAY_FRAMES", c.value);
        EXPECT_NEAR(timings({10})[0].startTime, c.start, 1e-9) << c.value;
    }
}

TEST_F(TokenTimingTests, DurationsSortingAndMissingPieces) {
    const auto withDurations = timings({10, 12, 20}, {3, 0, 1});
    EXPECT_NEAR(withDurations[0].endTime - withDurations[0].startTime, 0.24, 1e-9);
    EXPECT_NEAR(withDurations[1].endTime, 1.52, 1e-9);

    const auto sameFrame = timings({5, 5});
    EXPECT_EQ(sameFrame[0].tokenId, 1);
    EXPECT_EQ(sameFrame[0].startTime, sameFrame[1].startTime);
    EXPECT_NEAR(sameFrame[0].endTime - sameFrame[0].startTime, 0.08, 1e-9);

    const auto sorted = createTokenTimings({1, 2, 77}, {9, 3, 6}, {0.1f, 0.2f, 0.3f}, {}, vocabulary);
    EXPECT_EQ(sorted[0].tokenId, 2);
    EXPECT_EQ(sorted[1].token, "token_77");
    EXPECT_TRUE(createTokenTimings({1, 2}, {3}, {0.1f, 0.2f}, {}, vocabulary).empty());
    EXPECT_TRUE(createTokenTimings({1, 2}, {3, 4}, {0.1f}, {}, vocabulary).empty());
}

TEST(DeduplicationTests, RemovesSeamRepeats) {
    struct Case {
        std::vector<int> previous, current;
        int maxOverlap, bound;
        DeduplicationResult expected;
    };
    for (const auto& c : {Case{{5, 6, 7, 8}, {7, 8, 9}, 3, 20, {{9}, 2}},
                          Case{{1, 2, 3}, {3, 4}, 3, 20, {{3, 4}, 0}},
                          Case{{1, 2, 3, 4, 5}, {9, 3, 4, 6}, 3, 20, {{6}, 3}},
                          Case{{1, 2, 3, 4, 5}, {9, 3, 4, 6}, 3, 0, {{9, 3, 4, 6}, 0}},
                          Case{{1, 7883}, {7883, 2, 3}, 3, 20, {{2, 3}, 1}}}) {
        EXPECT_EQ(removeDuplicateTokenSequence(c.previous, c.current, c.maxOverlap, c.bound, logger), c.expected);
    }
}

TEST(TokensToTextTests, JoinsPiecesAndTrimsBlanksOnly) {
    const Vocabulary vocabulary{{1, "\u2581Hel"}, {2, "lo"}, {3, "\u2581world"}, {4, "\u2581a"}, {5, "\u2581"},
                                {6, "\u2581end\n"}, {7, ""}};
    EXPECT_EQ(tokensToText({1, 2, 3}, vocabulary), "Hello world");
    EXPECT_EQ(tokensToText({4, 99}, vocabulary), "a");
    EXPECT_EQ(tokensToText({5}, vocabulary), "");
    EXPECT_EQ(tokensToText({7, 6}, vocabulary), "end\n");
    EXPECT_TRUE(isBlankText(" \t\n\u00A0"));
    EXPECT_FALSE(isBlankText(" a "));
}

} // namespace
} // namespace razeziruzer::TokenPostProcessing
