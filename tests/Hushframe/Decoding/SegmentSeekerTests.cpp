#include "Hushframe/Decoding/SegmentSeeker.hpp"
#include "tests/Hushframe/Decoding/ScriptedWhisper.hpp"

#include <gtest/gtest.h>

namespace hushframe {
namespace {

using namespace hushframe::testing;

DecodingResult decoded(std::vector<int> tokens, float noSpeechProb = 0, float avgLogProb = 0) {
    DecodingResult result;
    for (std::size_t i = 0; i < tokens.size(); ++i) result.tokenLogProbs.push_back({{tokens[i], -0.1F * static_cast<float>(i)}});
    result.tokens = std::move(tokens);
    result.noSpeechProb = noSpeechProb;
    result.avgLogProb = avgLogProb;
    result.temperature = 0.2F;
    result.compressionRatio = 1.5F;
    return result;
}

struct Span {
    float start;
    float end;
    std::vector<int> tokens;
    bool operator==(const Span&) const = default;
};

TEST(SegmentSeekerTests, TimestampPairsCutSegmentsAndDecideTheNextSeek) {
    const int a = 1, b = 2, c = 3;
    struct Case {
        const char* name;
        std::vector<int> tokens;
        std::int64_t currentSeek;
        std::vector<Span> expected;
        std::int64_t expectedSeek;
    };
    const std::vector<Case> cases{
        {"single-timestamp ending", {T, a, b, T + 100, T + 100, c, T + 150, endToken}, 0,
         {{0, 2, {T, a, b, T + 100}}, {2, 3, {T + 100, c, T + 150}}}, 48000},
        {"no-timestamp ending", {T, a, T + 50, T + 50, b, c, endToken}, 0,
         {{0, 1, {T, a, T + 50}}, {1, 1, {T + 50, b, c, endToken}}}, 480000},
        {"neither ending drops the unfinished tail", {T, a, T + 50, T + 50, b, T + 80, T + 80, c, endToken}, 0,
         {{0, 1, {T, a, T + 50}}, {1, 1.6F, {T + 50, b, T + 80}}}, 25599},
        {"no pair: one segment to the last timestamp", {T, a, b, T + 120, endToken}, 0,
         {{0, 2.4F, {T, a, b, T + 120, endToken}}}, 480000},
        {"no timestamps: the whole window", {a, b, endToken}, 0, {{0, 30, {a, b, endToken}}}, 480000},
        // The seek follows the second token of the last pair, not the first.
        {"a pair of two different timestamps", {T, a, T + 50, T + 60, b, T + 70, T + 80, c, endToken}, 0,
         {{0, 1, {T, a, T + 50}}, {1.2F, 1.4F, {T + 60, b, T + 70}}}, 25599},
        // Only a timestamp after the window's start gives the duration.
        {"no pair and only the zero timestamp: the whole window", {T, a, endToken}, 0,
         {{0, 30, {T, a, endToken}}}, 480000},
        {"a later window shifts every time", {T, a, b, T + 100, T + 100, c, T + 150, endToken}, 480000,
         {{30, 32, {T, a, b, T + 100}}, {32, 33, {T + 100, c, T + 150}}}, 528000},
    };
    const ScriptTokenizer tokenizer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto [seek, segments] = SegmentSeeker().findSeekPointAndSegments(
            decoded(c.tokens), DecodingOptions(), 7, c.currentSeek, 480000, 16000, T, 40, tokenizer);
        EXPECT_EQ(seek, c.expectedSeek);
        ASSERT_TRUE(segments);
        std::vector<Span> spans;
        for (const auto& segment : *segments) spans.push_back({segment.start, segment.end, segment.tokens});
        ASSERT_EQ(spans.size(), c.expected.size());
        for (std::size_t i = 0; i < spans.size(); ++i) {
            EXPECT_FLOAT_EQ(spans[i].start, c.expected[i].start) << i;
            EXPECT_FLOAT_EQ(spans[i].end, c.expected[i].end) << i;
            EXPECT_EQ(spans[i].tokens, c.expected[i].tokens) << i;
            EXPECT_EQ((*segments)[i].id, 7 + static_cast<std::int64_t>(i));
            EXPECT_EQ((*segments)[i].seek, c.currentSeek);
        }
    }
}

TEST(SegmentSeekerTests, SegmentsCarryTheDecodeStatisticsAndText) {
    const ScriptTokenizer tokenizer;
    const auto result = decoded({T, 1, 2, T + 100, endToken}, 0.1F, -0.3F);
    const auto [seek, segments] =
        SegmentSeeker().findSeekPointAndSegments(result, DecodingOptions(), 0, 0, 480000, 16000, T, 40, tokenizer);
    ASSERT_TRUE(segments);
    const auto& segment = segments->front();
    EXPECT_EQ(segment.text, "<|0.00|> Hello world<|2.00|><|endoftext|>");
    EXPECT_EQ(segment.tokenLogProbs, result.tokenLogProbs);
    EXPECT_EQ(segment.temperature, 0.2F);
    EXPECT_EQ(segment.avgLogprob, -0.3F);
    EXPECT_EQ(segment.compressionRatio, 1.5F);
    EXPECT_EQ(segment.noSpeechProb, 0.1F);
    EXPECT_FALSE(segment.words);
    const auto skipped = SegmentSeeker().findSeekPointAndSegments(
        result, DecodingOptions({.skipSpecialTokens = true}), 0, 0, 480000, 16000, T, 40, tokenizer);
    EXPECT_EQ(skipped.second->front().text, " Hello world");
}

// A window is skipped when its no-speech probability is strictly above the
// threshold, unless its average log-probability is strictly above its own.
TEST(SegmentSeekerTests, SilenceSkipsTheWholeWindowUnlessTheTextIsConfident) {
    const ScriptTokenizer tokenizer;
    DecodingOptions unset;
    unset.noSpeechThreshold.reset();
    struct Case {
        const char* name;
        float noSpeechProb;
        float avgLogProb;
        DecodingOptions options;
        bool skipped;
    };
    // The defaults: no-speech threshold 0.6, log-probability threshold -1.0.
    const Case cases[] = {
        {"silent and unsure", 0.7F, -1.5F, {}, true},
        {"silent but confident", 0.7F, -0.5F, {}, false},
        {"no-speech exactly at the threshold", 0.6F, -1.5F, {}, false},
        {"log-probability exactly at the threshold", 0.7F, -1.0F, {}, true},
        {"no no-speech threshold", 0.99F, -5.0F, unset, false},
    };
    for (const auto& c : cases) {
        const auto result = SegmentSeeker().findSeekPointAndSegments(
            decoded({T, 1, T + 10, endToken}, c.noSpeechProb, c.avgLogProb), c.options, 0, 16000, 480000, 16000, T, 40,
            tokenizer);
        EXPECT_EQ(!result.second, c.skipped) << c.name;
        EXPECT_EQ(result.first, 496000) << c.name;
    }
}

} // namespace
} // namespace hushframe
