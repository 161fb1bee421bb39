#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcGreedyDecode.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CTC/CtcTokenText.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace razeziruzer;

namespace {

const std::string mark = "\xE2\x96\x81";

TEST(CtcTokenText, JoinsPiecesSkipsUnknownIdsAndTurnsMarksIntoSpaces) {
    struct Case {
        const char* name;
        std::vector<int> ids;
        Vocabulary vocabulary;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"two pieces", {5, 7}, {{5, mark + "he"}, {7, "llo"}}, "hello"},
        {"unknown id skipped", {5, 9, 7}, {{5, mark + "he"}, {7, "llo"}}, "hello"},
        {"inner runs kept", {1, 2, 3}, {{1, mark + "a"}, {2, mark}, {3, mark + "b"}}, "a  b"},
        {"trailing mark and tab trimmed", {1, 2}, {{1, mark + "a\t"}, {2, mark}}, "a"},
        {"line break kept", {1}, {{1, "a\n"}}, "a\n"},
        {"empty ids", {}, {{1, "a"}}, ""},
        {"empty vocabulary", {1, 2}, {}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeCtcTokenIds(c.ids, c.vocabulary), c.expected) << c.name;
    }
}

std::vector<float> winner(int index, int size = 3) {
    std::vector<float> frame(static_cast<std::size_t>(size), 0.0f);
    frame[static_cast<std::size_t>(index)] = 1.0f;
    return frame;
}

TEST(CtcGreedyDecode, CollapsesHeldTokensButNotTokensRepeatedAcrossABlank) {
    // A = 0, B = 1, blank = 2: A A blank A B B.
    const CtcLogProbFrames frames = {winner(0), winner(0), winner(2), winner(0), winner(1), winner(1)};
    EXPECT_EQ(ctcGreedyTokenIds(frames, 2), (std::vector<int>{0, 0, 1}));

    const CtcLogProbFrames worked = {{0.1f, 0.9f, 0.0f}, {0.1f, 0.9f, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.9f, 0.1f, 0.0f}};
    EXPECT_EQ(ctcGreedyTokenIds(worked, 2), (std::vector<int>{1, 0}));
}

TEST(CtcGreedyDecode, TiesGoToTheLowestIndexAndEmptyFramesDoNotSplitARun) {
    EXPECT_EQ(ctcGreedyTokenIds({{0.5f, 0.5f, 0.5f}}, 2), (std::vector<int>{0}));
    const CtcLogProbFrames frames = {winner(4, 6), {}, winner(4, 6)};
    EXPECT_EQ(ctcGreedyTokenIds(frames, 5), (std::vector<int>{4}));
    const Vocabulary vocabulary = {{4, mark + "go"}};
    EXPECT_EQ(ctcGreedyDecode(frames, vocabulary, 5), "go");
}

platform::coreml::MLMultiArray arrayOf(const CtcLogProbFrames& frames, std::int64_t batch = 1) {
    const auto t = static_cast<std::int64_t>(frames.size());
    const auto v = t > 0 ? static_cast<std::int64_t>(frames.front().size()) : 3;
    platform::coreml::MLMultiArray array({batch, t, v}, platform::coreml::MLMultiArrayDataType::float32);
    for (std::int64_t i = 0; i < t; ++i) {
        for (std::int64_t j = 0; j < v; ++j) array[{0, i, j}] = frames[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    }
    return array;
}

TEST(CtcGreedyDecode, MultiArrayReadsTheFirstBatchEntryLikeTheListForm) {
    const Vocabulary vocabulary = {{0, mark + "a"}, {1, "b"}};
    const CtcLogProbFrames frames = {{0.1f, 0.9f, 0.0f}, {0.1f, 0.9f, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.9f, 0.1f, 0.0f}};
    auto array = arrayOf(frames, 2);
    array[{1, 0, 0}] = 50.0; // the second batch entry is never read
    EXPECT_EQ(ctcGreedyDecode(array, vocabulary, 2), ctcGreedyDecode(frames, vocabulary, 2));
    EXPECT_EQ(ctcGreedyDecode(array, vocabulary, 2), "b a");

    const platform::coreml::MLMultiArray empty({1, 0, 3}, platform::coreml::MLMultiArrayDataType::float32);
    EXPECT_EQ(ctcGreedyDecode(empty, vocabulary, 2), "");
    const platform::coreml::MLMultiArray flat({3}, platform::coreml::MLMultiArrayDataType::float32, 1.0);
    EXPECT_EQ(ctcGreedyDecode(flat, vocabulary, 2), "");
}

TEST(CtcGreedyDecode, MultiArrayFrameOfMinusInfinityOrNaNYieldsIndexZero) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Vocabulary vocabulary = {{0, mark + "z"}, {1, "y"}};
    EXPECT_EQ(ctcGreedyDecode(arrayOf({{-inf, -inf, -inf}}), vocabulary, 2), "z");
    EXPECT_EQ(ctcGreedyDecode(arrayOf({{nan, nan, nan}}), vocabulary, 2), "z");
    // A NaN first value does not hide a real maximum from the array form.
    EXPECT_EQ(ctcGreedyDecode(arrayOf({{nan, 1.0f, 0.0f}}), vocabulary, 2), "y");
}

} // namespace
