#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/KeywordSpotting.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace razeziruzer;
using namespace razeziruzer::KeywordSpotting;

namespace {

constexpr std::int64_t blank = 0;
constexpr float low = -20.0f;
const float minusInfinity = -std::numeric_limits<float>::infinity();

// Frames over ids 0 (blank) to 4: blank certain except where a token is.
CtcLogProbFrames framesWith(std::size_t count, const std::vector<std::pair<std::size_t, std::size_t>>& tokenAt) {
    CtcLogProbFrames frames(count, std::vector<float>{0.0f, low, low, low, low});
    for (const auto& [frame, token] : tokenAt) {
        frames[frame] = {low, low, low, low, low};
        frames[frame][token] = 0.0f;
    }
    return frames;
}

CustomVocabularyTerm termWithIds(const std::string& text, std::vector<std::int64_t> ids) {
    return CustomVocabularyTerm(text, std::nullopt, std::nullopt, std::nullopt, std::move(ids));
}

TEST(KeywordSpotting, ThresholdRelaxesOnlyAGivenMinimum) {
    EXPECT_EQ(termThreshold(std::nullopt, 8), -15.0f);
    EXPECT_EQ(termThreshold(-10.0f, 8), -15.0f);
    EXPECT_EQ(termThreshold(-10.0f, 5), -12.0f);
    EXPECT_EQ(termThreshold(-10.0f, 3), -10.0f);
    EXPECT_EQ(termThreshold(-10.0f, 1), -10.0f);
}

TEST(KeywordSpotting, SpotsTermsWithTimesAndSkipsUnusableOnes) {
    const auto frames = framesWith(20, {{4, 1}, {5, 2}, {12, 3}});
    CustomVocabularyContext vocabulary;
    vocabulary.terms = {
        termWithIds("Zoviri", {1, 2}),
        termWithIds("Ab", {3}),  // shorter than minTermLength
        CustomVocabularyTerm("Empty", std::nullopt, std::nullopt, std::vector<std::int64_t>{3},
                             std::vector<std::int64_t>{}),  // present but empty CTC ids win
        CustomVocabularyTerm("Supplied", std::nullopt, std::nullopt, std::vector<std::int64_t>{3}),
    };
    const auto result = spotKeywordsFromLogProbs(frames, 0.08, vocabulary, -5.0f, blank);
    EXPECT_EQ(result.totalFrames, 20);
    EXPECT_EQ(result.frameDuration, 0.08);
    EXPECT_EQ(result.logProbs, frames);
    ASSERT_EQ(result.detections.size(), 2u);
    const auto& zoviri = result.detections[0];
    EXPECT_EQ(zoviri.term.text(), "Zoviri");
    EXPECT_EQ(zoviri.score, 0.0f);
    EXPECT_EQ(zoviri.startFrame, 4);
    EXPECT_EQ(zoviri.endFrame, 6);
    EXPECT_DOUBLE_EQ(zoviri.startTime, 4 * 0.08);
    EXPECT_DOUBLE_EQ(zoviri.endTime, 6 * 0.08);
    EXPECT_EQ(result.detections[1].term.text(), "Supplied");
    EXPECT_EQ(result.detections[1].startFrame, 12);
}

TEST(KeywordSpotting, EmptyInputsGiveEmptyResults) {
    CustomVocabularyContext vocabulary;
    const auto frames = framesWith(3, {});
    const auto noTerms = spotKeywordsFromLogProbs(frames, 0.08, vocabulary, std::nullopt, blank);
    EXPECT_TRUE(noTerms.detections.empty());
    EXPECT_EQ(noTerms.totalFrames, 3);
    EXPECT_EQ(noTerms.frameDuration, 0.08);
    vocabulary.terms = {termWithIds("Zoviri", {1})};
    const auto noFrames = spotKeywordsFromLogProbs({}, 0.08, vocabulary, std::nullopt, blank);
    EXPECT_TRUE(noFrames.detections.empty());
    EXPECT_EQ(noFrames.frameDuration, 0);
    EXPECT_EQ(noFrames.totalFrames, 0);
}

TEST(KeywordSpotting, ConstrainedScoringClampsTheWindowAndReportsWholeMatrixFrames) {
    auto frames = framesWith(50, {{20, 1}, {21, 2}, {30, 1}});
    frames[30][1] = -2.0f;
    const auto whole = ctcWordSpotConstrained(frames, {1, 2}, -5, 500, blank);
    EXPECT_EQ(whole.score, 0.0f);
    EXPECT_EQ(whole.startFrame, 20);
    EXPECT_EQ(whole.endFrame, 22);
    // Inside a window that holds only the later token 1.
    const auto window = ctcWordSpotConstrained(frames, {1}, 25, 40, blank);
    EXPECT_FLOAT_EQ(window.score, -2.0f);
    EXPECT_EQ(window.startFrame, 30);
    EXPECT_EQ(window.endFrame, 31);

    struct Case {
        const char* name;
        std::vector<std::int64_t> ids;
        std::int64_t start;
        std::int64_t end;
        std::int64_t reported;
    };
    for (const auto& c : std::vector<Case>{{"empty window", {1}, 40, 40, 40},
                                           {"no ids", {}, 0, 50, 0},
                                           {"shorter than the ids", {1, 2, 3}, 10, 12, 10},
                                           {"beyond the matrix", {1}, 60, 70, 60}}) {
        const auto spot = ctcWordSpotConstrained(frames, c.ids, c.start, c.end, blank);
        EXPECT_EQ(spot.score, minusInfinity) << c.name;
        EXPECT_EQ(spot.startFrame, c.reported) << c.name;
        EXPECT_EQ(spot.endFrame, c.reported) << c.name;
    }
    EXPECT_GT(ctcWordSpotConstrained(frames, {1, 2}, 20, 22, blank).score, minusInfinity) << "exactly as long as the ids";
}

} // namespace
