#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcDPAlgorithm.hpp"

#include <gtest/gtest.h>

#include <random>

using namespace razeziruzer;
using namespace razeziruzer::CtcDPAlgorithm;

namespace {

constexpr std::int64_t blank = 0;
constexpr float low = -20.0f;

// Frames over ids 0 (blank), 1, 2, 3: blank certain except where `token` is certain.
CtcLogProbFrames framesWith(std::size_t count, const std::vector<std::pair<std::size_t, std::size_t>>& tokenAt) {
    CtcLogProbFrames frames(count, std::vector<float>{0.0f, low, low, low});
    for (const auto& [frame, token] : tokenAt) {
        frames[frame] = {low, low, low, low};
        frames[frame][token] = 0.0f;
    }
    return frames;
}

TEST(CtcDPAlgorithm, FindsAOneTokenKeywordOverItsFrames) {
    const auto frames = framesWith(12, {{5, 1}, {6, 1}, {7, 1}});
    const auto found = ctcWordSpotMultiple(frames, {1}, -5.0f, true, blank);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].score, 0.0f);
    EXPECT_EQ(found[0].startFrame, 5);
    EXPECT_EQ(found[0].endFrame, 8);
    EXPECT_TRUE(ctcWordSpotMultiple(frames, {2}, -5.0f, true, blank).empty());
}

TEST(CtcDPAlgorithm, RepeatedTokensNeedABlankBetweenThem) {
    const auto adjacent = framesWith(4, {{1, 1}, {2, 1}});
    // Two frames of token 1 with nothing between: one copy must take a blank frame that says token 1.
    EXPECT_FLOAT_EQ(fillDPTable(adjacent, {1, 1}, blank).score(4, 2), 2 * low);
    const auto separated = framesWith(5, {{1, 1}, {3, 1}});
    const auto tables = fillDPTable(separated, {1, 1}, blank);
    EXPECT_EQ(tables.score(4, 2), 0.0f);
    EXPECT_EQ(tables.start(4, 2), 1);
    EXPECT_EQ(tables.end(4, 2), 4);
}

TEST(CtcDPAlgorithm, WildcardsMatchAnythingAndDoNotCountInTheNorm) {
    EXPECT_EQ(nonWildcardCount({5, -1, 7}), 2u);
    EXPECT_EQ(nonWildcardCount({-1, -1}), 0u);
    // Token 1, then two frames of token 3 under the wildcard, then token 2 (one frame at -4).
    auto frames = framesWith(7, {{1, 1}, {2, 3}, {3, 3}, {4, 2}});
    frames[4][2] = -4.0f;
    const auto found = ctcWordSpotMultiple(frames, {1, -1, 2}, -10.0f, true, blank);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FLOAT_EQ(found[0].score, -2.0f);
    EXPECT_EQ(found[0].startFrame, 1);
    EXPECT_EQ(found[0].endFrame, 5);
    // A leading wildcard starts at the first frame (stay wins ties), and spans what it matched.
    EXPECT_EQ(fillDPTable(frames, {-1, 1}, blank).start(2, 2), 0);
    // Adjacent wildcards keep their blank between them, so three frames are the least.
    const auto any = framesWith(3, {{0, 3}, {2, 3}});
    EXPECT_EQ(fillDPTable(any, {-1, -1}, blank).score(3, 2), 0.0f);
    EXPECT_EQ(fillDPTable(any, {-1, -1}, blank).score(2, 2), impossibleScore);
    const auto wildOnly = ctcWordSpotMultiple(any, {-1, -1}, -1.0f, false, blank);
    ASSERT_FALSE(wildOnly.empty());
    EXPECT_EQ(wildOnly.back().score, 0.0f);
}

TEST(CtcDPAlgorithm, AKeywordLongerThanTheFramesHasNoResult) {
    const auto frames = framesWith(2, {{0, 1}, {1, 2}});
    EXPECT_TRUE(ctcWordSpotMultiple(frames, {1, 2, 3}, -100.0f, true, blank).empty());
    const auto exact = ctcWordSpotMultiple(frames, {1, 2}, -100.0f, true, blank);
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0].score, 0.0f);
    EXPECT_TRUE(ctcWordSpotMultiple({}, {1}, -100.0f, true, blank).empty());
    EXPECT_TRUE(ctcWordSpotMultiple(frames, {}, -100.0f, true, blank).empty());
    EXPECT_TRUE(ctcWordSpotMultiple(frames, {3}, -1.0f, true, blank).empty()) << "best row below the minimum";
}

TEST(CtcDPAlgorithm, ResultsComeInRowOrderUnlessMerged) {
    // Token 1 at frames 2 and 6; blank frames cost 1 each, so each token is a peak.
    auto frames = framesWith(9, {{2, 1}, {6, 1}});
    for (const std::size_t f : {0, 1, 3, 4, 5, 7, 8}) frames[f][0] = -1.0f;
    const auto unmerged = ctcWordSpotMultiple(frames, {1}, -5.0f, false, blank);
    ASSERT_EQ(unmerged.size(), 2u);
    EXPECT_EQ(unmerged[0].startFrame, 2);
    EXPECT_EQ(unmerged[1].startFrame, 6);
}

TEST(CtcDPAlgorithm, MergesOverlappingAndTouchingSpans) {
    struct Case {
        const char* name;
        std::vector<Detection> input;
        std::vector<Detection> expected;
    };
    const std::vector<Case> cases = {
        {"later is better", {{-3, 10, 20}, {-2, 18, 30}}, {{-2, 18, 30}}},
        {"earlier is better", {{-2, 10, 20}, {-3, 18, 30}}, {{-2, 10, 30}}},
        {"touching", {{-2, 10, 20}, {-3, 20, 30}}, {{-2, 10, 30}}},
        {"apart", {{-2, 10, 20}, {-3, 21, 30}}, {{-2, 10, 20}, {-3, 21, 30}}},
        {"sorted by start first", {{-3, 21, 30}, {-2, 10, 20}}, {{-2, 10, 20}, {-3, 21, 30}}},
        {"equal scores keep the first start", {{-2, 10, 20}, {-2, 15, 25}}, {{-2, 10, 25}}},
    };
    for (const auto& c : cases) {
        const auto merged = mergeOverlapping(c.input);
        ASSERT_EQ(merged.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < merged.size(); ++i) {
            EXPECT_EQ(merged[i].score, c.expected[i].score) << c.name;
            EXPECT_EQ(merged[i].startFrame, c.expected[i].startFrame) << c.name;
            EXPECT_EQ(merged[i].endFrame, c.expected[i].endFrame) << c.name;
        }
    }
}

// Every state path from "not started" through the expanded keyword, scored
// frame by frame, against the table's best score and span for each row.
struct Best {
    float score = impossibleScore;
    std::int64_t start = 0;
    std::int64_t end = 0;
};

void enumeratePaths(const CtcLogProbFrames& frames, const std::vector<std::int64_t>& keyword, std::size_t frame,
                    std::size_t state, float score, std::int64_t start, std::int64_t end, std::vector<Best>& best) {
    const std::size_t n = keyword.size();
    if (state >= 2 * n - 1 && score > best[frame].score) best[frame] = {score, start, end};
    if (frame == frames.size()) return;
    const auto symbolAt = [&](std::size_t s) { return s % 2 == 1 ? keyword[s / 2] : -2; }; // -2: blank
    for (std::size_t step = 0; step <= 2; ++step) {
        const std::size_t next = state + step;
        if (next == 0 || next > 2 * n) {
            if (next == 0) enumeratePaths(frames, keyword, frame + 1, 0, 0, 0, 0, best);
            continue;
        }
        if (step == 2 && (state == 0 || symbolAt(next) == -2 || symbolAt(next) == symbolAt(state))) continue;
        const std::int64_t id = symbolAt(next);
        const float emission = id == -2 ? frames[frame][blank] : id == -1 ? 0.0f : frames[frame][static_cast<std::size_t>(id)];
        const auto f = static_cast<std::int64_t>(frame);
        enumeratePaths(frames, keyword, frame + 1, next, score + emission, state == 0 ? f : start,
                       id == -2 ? end : f + 1, best);
    }
}

TEST(CtcDPAlgorithm, MatchesBruteForceEnumerationOfAlignments) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> uniform(-6.0f, 0.0f);
    const std::vector<std::vector<std::int64_t>> keywords = {{1}, {1, 2}, {2, 2}, {1, -1}, {-1, 3}, {1, 2, 1}};
    for (const auto& keyword : keywords) {
        for (std::size_t count = 1; count <= 6; ++count) {
            SCOPED_TRACE("keyword of " + std::to_string(keyword.size()) + " over " + std::to_string(count) + " frames");
            CtcLogProbFrames frames(count, std::vector<float>(4));
            for (auto& frame : frames) {
                for (auto& value : frame) value = uniform(random);
            }
            std::vector<Best> best(count + 1);
            enumeratePaths(frames, keyword, 0, 0, 0, 0, 0, best);
            const auto tables = fillDPTable(frames, keyword, blank);
            for (std::size_t row = 0; row <= count; ++row) {
                EXPECT_NEAR(tables.score(row, keyword.size()), best[row].score, 1e-4) << "row " << row;
                // Wildcards score 0 on every frame, so their spans tie; the
                // table's tie-breaks are pinned by the worked examples instead.
                if (best[row].score > impossibleScore && nonWildcardCount(keyword) == keyword.size()) {
                    EXPECT_EQ(tables.start(row, keyword.size()), best[row].start) << "row " << row;
                    EXPECT_EQ(tables.end(row, keyword.size()), best[row].end) << "row " << row;
                }
            }
        }
    }
}

} // namespace
