#include "Hushframe/Utilities/TranscriptionUtilities.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace hushframe {
namespace {

using namespace TranscriptionUtilities;
using ::testing::ElementsAre;

WordTiming word(std::string text, float start = 0.0F) {
    return WordTiming{std::move(text), {int(start * 10)}, start, start + 0.5F, 0.5F};
}

std::vector<WordTiming> words(std::initializer_list<const char*> texts) {
    std::vector<WordTiming> list;
    float start = 0;
    for (const char* text : texts) list.push_back(word(text, start += 1.0F));
    return list;
}

std::vector<std::string> textsOf(const std::vector<WordTiming>& list) {
    std::vector<std::string> texts;
    for (const auto& w : list) texts.push_back(w.word);
    return texts;
}

TranscriptionSegment segment(std::int64_t id, float start, float end, std::string text,
                             std::optional<std::vector<WordTiming>> segmentWords = std::nullopt) {
    TranscriptionSegment s;
    s.id = id;
    s.start = start;
    s.end = end;
    s.text = std::move(text);
    s.tokens = {1, 2};
    s.temperature = 0.2F;
    s.avgLogprob = -0.3F;
    s.words = std::move(segmentWords);
    return s;
}

TEST(TranscriptionUtilities, UpdateSegmentTimingsMovesSeekTimesAndWords) {
    const auto moved = updateSegmentTimings(segment(4, 1.0F, 2.5F, " a b", std::vector{word(" a", 1.0F)}), 21.0F);
    EXPECT_EQ(moved.id, 4);
    EXPECT_EQ(moved.seek, 336000);
    EXPECT_FLOAT_EQ(moved.start, 22.0F);
    EXPECT_FLOAT_EQ(moved.end, 23.5F);
    ASSERT_TRUE(moved.words);
    EXPECT_FLOAT_EQ(moved.words->at(0).start, 22.0F);
    EXPECT_FLOAT_EQ(moved.words->at(0).end, 22.5F);
    EXPECT_EQ(moved.text, " a b");
    EXPECT_EQ(moved.temperature, 0.2F);

    auto withSeek = segment(0, 0.0F, 1.0F, " x");
    withSeek.seek = 480000;
    const auto shifted = updateSegmentTimings(withSeek, 0.5F);
    EXPECT_EQ(shifted.seek, 488000);
    EXPECT_FALSE(shifted.words) << "a segment without words keeps none";
}

TEST(TranscriptionUtilities, FormatSegmentsWithAndWithoutTimestamps) {
    const std::vector segments{segment(0, 1.0F, 2.5F, " Hello"), segment(1, 12.345F, 100.0F, "plain")};
    EXPECT_THAT(formatSegments(segments, true), ElementsAre("[1.00 --> 2.50]  Hello", "[12.35 --> 100.00] plain"));
    EXPECT_THAT(formatSegments(segments, false), ElementsAre(" Hello", "plain"));
    EXPECT_TRUE(formatSegments({}, true).empty());
}

struct AgreementCase {
    const char* name;
    const char* first;
    const char* second;
    bool agree;
};

TEST(TranscriptionUtilities, WordsAgreeIgnoringCaseSpacesHyphensAndPunctuation) {
    const AgreementCase cases[] = {
        {"case, leading space and trailing comma", " Hello,", "hello", true},
        {"hyphen against two words", "well-known", "well known", true},
        {"apostrophe", "don't", "dont", true},
        {"runs of spaces", " a  -  b ", "a b", true},
        {"unicode punctuation and case", "«Ça»", "ça", true},
        {"trailing line break", "word\n", "word", true},
        {"different words", "hello", "help", false},
        {"letters kept apart by a space", "ab", "a b", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector first{word(c.first)};
        const std::vector second{word(c.second)};
        EXPECT_EQ(findLongestCommonPrefix(first, second).size(), c.agree ? 1U : 0U);
    }
}

TEST(TranscriptionUtilities, CommonPrefixComesFromTheSecondArrayAndSuffixIsTheRest) {
    const auto first = words({" The", " quick", " fox"});
    const auto second = words({"the", "Quick!", "brown", "fox", "jumps"});
    const auto prefix = findLongestCommonPrefix(first, second);
    EXPECT_THAT(textsOf(prefix), ElementsAre("the", "Quick!"));
    EXPECT_EQ(prefix[1], second[1]) << "timings and tokens of the second array";
    EXPECT_THAT(textsOf(findLongestDifferentSuffix(first, second)), ElementsAre("brown", "fox", "jumps"));

    EXPECT_TRUE(findLongestCommonPrefix({}, second).empty());
    EXPECT_EQ(findLongestDifferentSuffix({}, second), second);
    EXPECT_TRUE(findLongestDifferentSuffix(second, second).empty());
    EXPECT_EQ(findLongestCommonPrefix(words({"a", "b", "c"}), words({"a", "b"})).size(), 2U) << "shorter second";
}

std::shared_ptr<const TranscriptionResult> result(std::string text, std::vector<TranscriptionSegment> segments,
                                                  std::string language, double start, double full) {
    TranscriptionTimings timings;
    timings.pipelineStart = start;
    timings.firstTokenTime = start + 1;
    timings.fullPipeline = full;
    timings.inputAudioSeconds = 30;
    timings.modelLoading = full / 10;
    timings.encoderSpecializationTime = 5;
    timings.totalDecodingLoops = 7;
    timings.decodingWordTimestamps = 0.5;
    return std::make_shared<TranscriptionResult>(std::move(text), std::move(segments), std::move(language), timings,
                                                 12.0F);
}

TEST(TranscriptionUtilities, MergeNumbersSegmentsByPositionSumAndCombinesTimings) {
    const auto a = result("first", {segment(9, 0, 1, "a0"), segment(9, 1, 2, "a1")}, "de", 100, 10);
    const auto b = result("second", {segment(5, 0, 1, "b0"), segment(5, 1, 2, "b1"), segment(5, 2, 3, "b2")}, "fr",
                          110, 10);
    const auto merged = mergeTranscriptionResults({nullptr, a, nullptr, b});

    EXPECT_EQ(merged->text(), " first  second");
    EXPECT_EQ(merged->language(), "de");
    EXPECT_FALSE(merged->seekTime());
    std::vector<std::int64_t> ids;
    for (const auto& s : merged->segments()) ids.push_back(s.id);
    EXPECT_THAT(ids, ElementsAre(0, 1, 1, 2, 3));
    EXPECT_EQ(merged->segments()[2].text, "b0");
    EXPECT_EQ(merged->segments()[2].start, 0.0F) << "times are copied unchanged";

    const auto t = merged->timings();
    EXPECT_EQ(t.pipelineStart, 100);
    EXPECT_EQ(t.firstTokenTime, 101);
    EXPECT_EQ(t.modelLoading, 1);
    EXPECT_EQ(t.encoderSpecializationTime, 0);
    EXPECT_EQ(t.inputAudioSeconds, 60);
    EXPECT_EQ(t.totalDecodingLoops, 14);
    EXPECT_EQ(t.decodingWordTimestamps, 1);
    EXPECT_EQ(t.fullPipeline, 20) << "back to back";

    const auto overlapping =
        mergeTranscriptionResults({result("x", {}, "en", 100, 10), result("y", {}, "en", 100, 10)});
    EXPECT_EQ(overlapping->timings().fullPipeline, 10) << "side by side";
    const auto partly = mergeTranscriptionResults({result("x", {}, "en", 100, 10), result("y", {}, "en", 105, 12)});
    EXPECT_EQ(partly->timings().fullPipeline, 17) << "latest end minus earliest start";
    EXPECT_EQ(partly->timings().modelLoading, 1.2);
}

TEST(TranscriptionUtilities, MergeOfAbsentResultsIsEmptyEnglishWithZeroTimings) {
    const auto merged = mergeTranscriptionResults({nullptr, nullptr});
    EXPECT_EQ(merged->text(), " ");
    EXPECT_TRUE(merged->segments().empty());
    EXPECT_EQ(merged->language(), "en");
    TranscriptionTimings zero;
    zero.pipelineStart = 0;
    zero.firstTokenTime = 0;
    zero.inputAudioSeconds = 0;
    EXPECT_EQ(merged->timings(), zero);
    EXPECT_EQ(mergeTranscriptionResults({})->text(), "");
}

TEST(TranscriptionUtilities, MergeTakesTextFromConfirmedWordsAlone) {
    const auto merged = mergeTranscriptionResults({result("other text", {}, "en", 0, 1)},
                                                  std::vector{word(" Hello"), word(" world"), word(".")});
    EXPECT_EQ(merged->text(), " Hello world.");
    EXPECT_EQ(mergeTranscriptionResults({nullptr}, std::vector<WordTiming>{})->text(), "");
}

} // namespace
} // namespace hushframe
