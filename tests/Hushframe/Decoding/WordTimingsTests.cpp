#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Decoding/SegmentSeeker.hpp"
#include "Hushframe/Decoding/WordAlignment.hpp"
#include "tests/Hushframe/Decoding/ScriptedWhisper.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace hushframe {
namespace {

using namespace hushframe::testing;
using Path = std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>>;

AlignmentMatrix matrix(std::int64_t rows, std::int64_t columns, std::vector<double> values) {
    return {rows, columns, std::move(values)};
}

WordTiming word(std::string text, float start, float end, std::vector<int> tokens = {1}, float probability = 0.9F) {
    return {std::move(text), std::move(tokens), start, end, probability};
}

const std::string prepended(Constants::defaultPrependPunctuations);
const std::string appended(Constants::defaultAppendPunctuations);

TEST(WordTimingsTests, TimeWarpingFollowsTheStrongestAttentionAndTurnsDownOnTies) {
    struct Case {
        const char* name;
        AlignmentMatrix weights;
        Path expected;
    };
    const std::vector<Case> cases{
        {"diagonal", matrix(2, 3, {0.9, 0.8, 0.1, 0.1, 0.2, 0.9}), {{0, 0, 1, 1}, {0, 1, 1, 2}}},
        {"ties turn down at once", matrix(2, 3, {1, 0, 0, 0, 0, 1}), {{0, 1, 1, 1}, {0, 0, 1, 2}}},
        {"empty", matrix(0, 3, {}), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WordAlignment::dynamicTimeWarping(c.weights), c.expected);
    }
}

TEST(WordTimingsTests, WordsTakeTheirTokensTimesAndMeanProbability) {
    const ScriptTokenizer tokenizer;
    const auto words = WordAlignment::findAlignment({1, 2}, matrix(2, 3, {0.9, 0.8, 0.1, 0.1, 0.2, 0.9}),
                                                    {-0.1F, -0.3F}, tokenizer);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].word, " Hello");
    EXPECT_FLOAT_EQ(words[0].start, 0.0F);
    EXPECT_FLOAT_EQ(words[0].end, 0.02F);
    EXPECT_FLOAT_EQ(words[1].start, 0.02F);
    EXPECT_FLOAT_EQ(words[1].end, 0.04F);
    EXPECT_FLOAT_EQ(words[1].probability, std::exp(-0.3F));

    // " Hello" and "." form one word of two tokens.
    const auto joined = WordAlignment::findAlignment(
        {1, 3, 2}, matrix(3, 4, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1}), {-0.1F, -0.3F, 0}, tokenizer);
    ASSERT_EQ(joined.size(), 2u);
    EXPECT_EQ(joined[0].word, " Hello.");
    EXPECT_EQ(joined[0].tokens, (std::vector<int>{1, 3}));
    EXPECT_FLOAT_EQ(joined[0].probability, std::exp(-0.2F));
    // A single word gives no timings.
    EXPECT_TRUE(WordAlignment::findAlignment({1}, matrix(1, 2, {1, 0}), {0}, tokenizer).empty());
}

TEST(WordTimingsTests, DurationConstraints) {
    struct Case {
        const char* name;
        std::vector<WordTiming> words;
        std::pair<float, float> expected;
    };
    const std::vector<Case> cases{
        {"median of the lasting words",
         {word("a", 0, 0.3F), word("b", 1, 1), word("c", 2, 2.5F), word("d", 3, 3.2F)}, {0.3F, 0.6F}},
        {"capped at 0.7", {word("a", 0, 2), word("b", 2, 4)}, {0.7F, 1.4F}},
        {"nothing lasting", {word("a", 1, 1)}, {0, 0}},
        {"words without length do not count", {word("a", 1, 1), word("b", 2, 2), word("c", 3, 3.5F)}, {0.5F, 1.0F}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [median, max] = SegmentSeeker::calculateWordDurationConstraints(c.words);
        EXPECT_NEAR(median, c.expected.first, 1e-6);
        EXPECT_NEAR(max, c.expected.second, 1e-6);
    }
}

TEST(WordTimingsTests, LongWordsAtSentenceEndsAreCut) {
    const auto cut = SegmentSeeker::truncateLongWordsAtSentenceBoundaries(
        {word(".", 0, 5), word(" Hi", 1, 1.2F), word(".", 2, 3), word("?", 3, 3.1F), word(" Then", 4, 5),
         word(" long", 5, 7)},
        0.6F);
    EXPECT_FLOAT_EQ(cut[0].end, 5.0F);   // the first word is never changed
    EXPECT_FLOAT_EQ(cut[2].end, 2.6F);   // a long sentence end is cut at its start + max
    EXPECT_FLOAT_EQ(cut[4].start, 4.4F); // a long word after a sentence end keeps its end
    EXPECT_FLOAT_EQ(cut[5].start, 5.0F); // other long words stay
}

TEST(WordTimingsTests, PunctuationJoinsItsNeighbour) {
    struct Case {
        const char* name;
        std::vector<WordTiming> words;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"opening bracket joins the next word", {word(" Hi", 0, 1), word(" (", 1, 2), word("Hello", 2, 3)},
         {" Hi", " (Hello"}},
        {"comma joins the previous word", {word(" Hello", 0, 1), word(",", 1, 2)}, {" Hello,"}},
        {"a trailing space keeps them apart and the lone comma goes", {word(" Hello ", 0, 1), word(",", 1, 2)},
         {" Hello "}},
        {"a first bracket without a space is dropped", {word("(", 0, 1), word("Hello", 1, 2)}, {"Hello"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto merged = SegmentSeeker::mergePunctuations(c.words, prepended, appended);
        std::vector<std::string> texts;
        for (const auto& w : merged) texts.push_back(w.word);
        EXPECT_EQ(texts, c.expected);
    }
    const auto opened = SegmentSeeker::mergePunctuations({word(" Hi", 0, 1), word(" (", 1, 2, {8}), word("Hello", 2, 3, {9})},
                                                         prepended, appended);
    EXPECT_EQ(opened[1].tokens, (std::vector<int>{8, 9}));
    EXPECT_FLOAT_EQ(opened[1].start, 2.0F);
    const auto closed = SegmentSeeker::mergePunctuations({word(" Hello", 0, 1), word(",", 1, 2)}, prepended, appended);
    EXPECT_FLOAT_EQ(closed[0].end, 1.0F);
}

TEST(WordTimingsTests, WordsAreShiftedToTheWindowAndFillTheirSegments) {
    const ScriptTokenizer tokenizer;
    TranscriptionSegment first;
    first.start = 30;
    first.end = 31.5F;
    first.tokens = {T, 1, 2, T + 75};
    TranscriptionSegment timestampsOnly;
    timestampsOnly.start = 31.5F;
    timestampsOnly.end = 32;
    timestampsOnly.tokens = {T + 75, T + 100};
    const auto segments = SegmentSeeker::updateSegmentsWithWordTimings(
        {first, timestampsOnly}, {word(" Hello", 0.1F, 1.234F, {1}), word(" world", 1.234F, 1.5F, {2})}, 480000, 30,
        0.5F, 1.0F, tokenizer);
    ASSERT_EQ(segments.size(), 2u);
    ASSERT_TRUE(segments[0].words);
    ASSERT_EQ(segments[0].words->size(), 2u);
    EXPECT_FLOAT_EQ((*segments[0].words)[0].start, 30.1F);
    EXPECT_FLOAT_EQ((*segments[0].words)[0].end, 31.23F);
    EXPECT_FLOAT_EQ(segments[0].start, 30.1F);
    EXPECT_FLOAT_EQ(segments[0].end, 31.5F);
    ASSERT_TRUE(segments[1].words);
    EXPECT_TRUE(segments[1].words->empty());
    EXPECT_FLOAT_EQ(segments[1].start, 31.5F);

    // After a pause of more than four median durations a long first word
    // starts at most one maximum duration before its end.
    const auto afterPause = SegmentSeeker::updateSegmentsWithWordTimings(
        {first}, {word(" Hello", 0.1F, 1.234F, {1}), word(" world", 1.234F, 1.5F, {2})}, 480000, 29, 0.5F, 1.0F,
        tokenizer);
    EXPECT_FLOAT_EQ((*afterPause[0].words)[0].start, 30.23F);
}

// A word shorter than a quarter of the median duration starts earlier, by
// at most half a median and never before the previous word's end.
TEST(WordTimingsTests, ShortWordsReachBackTowardsThePreviousWord) {
    const ScriptTokenizer tokenizer;
    TranscriptionSegment segment;
    segment.start = 0;
    segment.end = 1.25F;
    segment.tokens = {T, 1, 2, T + 60};
    struct Case {
        const char* name;
        float start;
        float end;
        float expectedStart;
    };
    // Median 1: a quarter is 0.25 s, half is 0.5 s; the previous word ends at 0.5 s.
    const Case cases[] = {
        {"exactly a quarter median is not short", 1.0F, 1.25F, 1.0F},
        {"shorter moves back by half a median", 1.25F, 1.375F, 0.75F},
        {"by no more than the gap", 0.75F, 0.875F, 0.5F},
    };
    for (const auto& c : cases) {
        const auto segments = SegmentSeeker::updateSegmentsWithWordTimings(
            {segment}, {word(" Hello", 0, 0.5F, {1}), word(" world", c.start, c.end, {2})}, 0, 0, 1.0F, 2.0F,
            tokenizer);
        ASSERT_EQ(segments[0].words->size(), 2u) << c.name;
        EXPECT_FLOAT_EQ((*segments[0].words)[1].start, c.expectedStart) << c.name;
    }
}

} // namespace
} // namespace hushframe
