#include "Hushframe/Utilities/WriteJSON.hpp"
#include "Hushframe/Utilities/WriteSRT.hpp"
#include "Hushframe/Utilities/WriteVTT.hpp"
#include "Platform/Files/FileContents.hpp"
#include "Platform/Files/FileError.hpp"
#include "tests/Hushframe/Utilities/SubtitleReaders.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace hushframe {
namespace {

using testing::readSubRip;
using testing::readWebVtt;
using testing::SubtitleCue;

WordTiming word(std::string text, float start, float end) {
    return WordTiming{std::move(text), {7, 8}, start, end, 0.75F};
}

TranscriptionSegment segment(float start, float end, std::string text,
                             std::optional<std::vector<WordTiming>> words = std::nullopt) {
    TranscriptionSegment s;
    s.start = start;
    s.end = end;
    s.text = std::move(text);
    s.tokens = {50364, 123};
    s.tokenLogProbs = {{{123, -0.25F}}};
    s.words = std::move(words);
    return s;
}

TranscriptionResult result(std::vector<TranscriptionSegment> segments) {
    TranscriptionTimings timings;
    timings.pipelineStart = 12.5;
    timings.fullPipeline = 3.25;
    return TranscriptionResult(" Hello there.", std::move(segments), "en", timings, 30.0F);
}

std::string contentOf(const ResultWriteOutcome& outcome, const std::filesystem::path& expected) {
    EXPECT_TRUE(outcome.succeeded());
    EXPECT_EQ(outcome.fileUrl, "file://" + expected.string());
    return platform::files::readFile(expected);
}

struct Cue {
    std::int64_t start;
    std::int64_t end;
    std::string text;
    bool operator==(const Cue&) const = default;
};

std::vector<Cue> timed(const std::vector<SubtitleCue>& cues) {
    std::vector<Cue> plain;
    for (const auto& cue : cues) plain.push_back({cue.startMilliseconds, cue.endMilliseconds, cue.text});
    return plain;
}

class ResultWritersTest : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    WriteSRT srt{folder.path().string()};
    WriteVTT vtt{folder.path().string()};
    WriteJSON json{folder.path().string()};
};

TEST_F(ResultWritersTest, ResultWithoutSegmentsGivesEmptySubtitleFiles) {
    const auto empty = result({});
    EXPECT_EQ(contentOf(srt.write(empty, "empty"), folder.path() / "empty.srt"), "");
    const auto vttText = contentOf(vtt.write(empty, "empty"), folder.path() / "empty.vtt");
    EXPECT_EQ(vttText, "WEBVTT\n\n");
    EXPECT_TRUE(readSubRip("").empty());
    EXPECT_TRUE(readWebVtt(vttText).empty());
}

TEST_F(ResultWritersTest, OneSegmentIsWrittenExactlyAndKeepsItsLeadingSpace) {
    const auto one = result({segment(0.0F, 2.5F, " Hello")});
    const auto srtText = contentOf(srt.write(one, "one"), folder.path() / "one.srt");
    EXPECT_EQ(srtText, "1\n00:00:00,000 --> 00:00:02,500\n Hello\n\n");
    const auto vttText = contentOf(vtt.write(one, "one"), folder.path() / "one.vtt");
    EXPECT_EQ(vttText, "WEBVTT\n\n00:00.000 --> 00:02.500\n Hello\n\n");
    EXPECT_EQ(timed(readSubRip(srtText)), (std::vector<Cue>{{0, 2500, " Hello"}}));
    EXPECT_EQ(timed(readWebVtt(vttText)), (std::vector<Cue>{{0, 2500, " Hello"}}));
}

TEST_F(ResultWritersTest, WordsReplaceTheirSegmentAndTheNumberingCountsEntries) {
    const auto mixed = result({
        segment(0.0F, 1.5F, " One two three",
                std::vector{word(" One", 0.0F, 0.5F), word(" two", 0.5F, 1.0F), word(" three", 1.0F, 1.5F)}),
        segment(3661.5F, 3663.0F, " Later on", std::vector<WordTiming>{}),
    });
    const std::vector<Cue> expected{
        {0, 500, " One"}, {500, 1000, " two"}, {1000, 1500, " three"}, {3661500, 3663000, " Later on"}};

    const auto srtCues = readSubRip(contentOf(srt.write(mixed, "mixed"), folder.path() / "mixed.srt"));
    EXPECT_EQ(timed(srtCues), expected);
    ASSERT_EQ(srtCues.size(), 4U);
    EXPECT_EQ(srtCues.back().number, 4);

    const auto vttText = contentOf(vtt.write(mixed, "mixed"), folder.path() / "mixed.vtt");
    EXPECT_EQ(timed(readWebVtt(vttText)), expected);
    EXPECT_THAT(vttText, ::testing::HasSubstr("\n01:01:01.500 --> 01:01:03.000\n"));
}

TEST_F(ResultWritersTest, JsonFileDecodesToTheSameResultInKeyOrder) {
    const auto original = result({segment(0.0F, 2.5F, " Hello", std::vector{word(" Hello", 0.1F, 0.9F)}),
                                  segment(2.5F, 4.0F, " there.")});
    const auto text = contentOf(json.write(original, "result"), folder.path() / "result.json");

    const auto parsed = nlohmann::ordered_json::parse(text);
    std::vector<std::string> keys;
    for (const auto& item : parsed.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"text", "segments", "language", "timings", "seekTime"}));
    EXPECT_NE(text.find("\n  \"segments\""), std::string::npos) << "pretty-printed";

    const auto decoded = parsed.get<TranscriptionResultStruct>();
    EXPECT_EQ(decoded.text, original.text());
    EXPECT_EQ(decoded.segments, original.segments());
    EXPECT_EQ(decoded.language, "en");
    EXPECT_EQ(decoded.timings, original.timings());
    EXPECT_EQ(decoded.seekTime, 30.0F);
}

TEST_F(ResultWritersTest, WritesReplaceEarlierFilesOfTheSameName) {
    const ResultWriting* writers[] = {&srt, &vtt, &json};
    for (const auto* writer : writers) {
        ASSERT_TRUE(writer->write(result({segment(0.0F, 1.0F, " alpha")}), "again").succeeded());
        const auto outcome = writer->write(result({segment(0.0F, 1.0F, " omega")}), "again");
        ASSERT_TRUE(outcome.succeeded());
    }
    for (const char* extension : {".srt", ".vtt", ".json"}) {
        const auto text = platform::files::readFile(folder.path() / (std::string("again") + extension));
        EXPECT_EQ(text.find("alpha"), std::string::npos) << extension;
        EXPECT_NE(text.find("omega"), std::string::npos) << extension;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3) << "no temporary files left";
}

TEST_F(ResultWritersTest, FileUrlIsAbsoluteAndPercentEncoded) {
    const auto outcome = srt.write(result({}), "my notes #1");
    ASSERT_TRUE(outcome.succeeded());
    EXPECT_EQ(outcome.fileUrl, "file://" + folder.path().string() + "/my%20notes%20%231.srt");
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "my notes #1.srt"));
}

TEST_F(ResultWritersTest, MissingFolderFailsForEveryWriterAndCreatesNothing) {
    const auto missing = folder.path() / "missing";
    const WriteSRT srtMissing(missing.string());
    const WriteVTT vttMissing(missing.string());
    const WriteJSON jsonMissing(missing.string());
    const ResultWriting* writers[] = {&srtMissing, &vttMissing, &jsonMissing};
    for (const auto* writer : writers) {
        const auto outcome = writer->write(result({segment(0.0F, 1.0F, " x")}), "out");
        EXPECT_FALSE(outcome.succeeded());
        ASSERT_TRUE(outcome.error);
        EXPECT_THROW(std::rethrow_exception(outcome.error), platform::files::FileError);
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(ResultWritersTest, NonFiniteTimeFailsAndLeavesTheEarlierFile) {
    ASSERT_TRUE(srt.write(result({segment(0.0F, 1.0F, " kept")}), "bad").succeeded());
    ASSERT_TRUE(vtt.write(result({segment(0.0F, 1.0F, " kept")}), "bad").succeeded());
    const auto broken = result({segment(std::numeric_limits<float>::quiet_NaN(), 1.0F, " lost"),
                                segment(1.0F, std::numeric_limits<float>::infinity(), " lost")});
    for (const ResultWriting* writer : std::initializer_list<const ResultWriting*>{&srt, &vtt}) {
        const auto outcome = writer->write(broken, "bad");
        EXPECT_FALSE(outcome.succeeded());
        EXPECT_THROW(std::rethrow_exception(outcome.error), std::invalid_argument);
    }
    EXPECT_NE(platform::files::readFile(folder.path() / "bad.srt").find(" kept"), std::string::npos);
    EXPECT_NE(platform::files::readFile(folder.path() / "bad.vtt").find(" kept"), std::string::npos);
}

TEST_F(ResultWritersTest, JsonThatCannotBeEncodedFailsAndCreatesNothing) {
    const auto broken = TranscriptionResult("bad \xff byte", {}, "en", TranscriptionTimings{});
    const auto outcome = json.write(broken, "broken");
    EXPECT_FALSE(outcome.succeeded());
    EXPECT_THROW(std::rethrow_exception(outcome.error), nlohmann::json::exception);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "broken.json"));
}

// What the writer accepts, the reader must read back: JSON has no infinite or
// NaN numbers, so a result holding one is refused rather than written as null.
TEST_F(ResultWritersTest, JsonRefusesNumbersThatAreNotFiniteAndKeepsTheEarlierFile) {
    constexpr float infinity = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        TranscriptionResult result;
        const char* key;
    };
    auto failedRatio = segment(0.0F, 1.0F, " lost");
    failedRatio.compressionRatio = infinity;
    auto silentLogprob = segment(0.0F, 1.0F, " lost");
    silentLogprob.avgLogprob = -infinity;
    auto badWord = segment(0.0F, 1.0F, " lost", std::vector{word(" lost", 0.0F, 1.0F)});
    badWord.words->front().probability = std::numeric_limits<float>::quiet_NaN();
    TranscriptionTimings badTimings;
    badTimings.fullPipeline = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"infinite compression ratio", result({segment(0.0F, 1.0F, " fine"), failedRatio}), "segments[1].compressionRatio"},
        {"minus infinite log-probability", result({silentLogprob}), "segments[0].avgLogprob"},
        {"NaN word probability", result({badWord}), "segments[0].words[0].probability"},
        {"NaN timing", TranscriptionResult(" lost", {}, "en", badTimings), "timings.fullPipeline"},
    };
    ASSERT_TRUE(json.write(result({segment(0.0F, 1.0F, " kept")}), "bad").succeeded());
    for (const auto& c : cases) {
        const auto outcome = json.write(c.result, "bad");
        EXPECT_FALSE(outcome.succeeded()) << c.name;
        ASSERT_TRUE(outcome.error) << c.name;
        try {
            std::rethrow_exception(outcome.error);
        } catch (const nlohmann::json::exception& error) {
            EXPECT_THAT(error.what(), ::testing::HasSubstr(std::string("\"") + c.key + "\"")) << c.name;
        }
    }
    const auto kept = nlohmann::ordered_json::parse(platform::files::readFile(folder.path() / "bad.json"));
    EXPECT_EQ(kept.get<TranscriptionResultStruct>().segments.front().text, " kept");
}

struct TimeCase {
    const char* name;
    float seconds;
    const char* subRip;
    const char* webVtt;
};

TEST(ResultWritingTime, FormatsCutTowardZero) {
    const TimeCase cases[] = {
        {"zero", 0.0F, "00:00:00,000", "00:00.000"},
        {"two and a half", 2.5F, "00:00:02,500", "00:02.500"},
        {"milliseconds are cut, not rounded", 1.234F, "00:00:01,233", "00:01.233"},
        {"just below a minute", 59.999F, "00:00:59,999", "00:59.999"},
        {"one minute", 60.0F, "00:01:00,000", "01:00.000"},
        {"just below an hour", 3599.5F, "00:59:59,500", "59:59.500"},
        {"over an hour", 3661.5F, "01:01:01,500", "01:01:01.500"},
        {"over ten hours", 36000.25F, "10:00:00,250", "10:00:00.250"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(defaultFormatTime(c.seconds, true, ","), c.subRip);
        EXPECT_EQ(defaultFormatTime(c.seconds, false, "."), c.webVtt);
    }
}

// A conformer with its own time formatting: the entry operations use it.
class MarkedTimes final : public ResultWriting {
public:
    const std::string& outputDir() const override { return folder_; }
    ResultWriteOutcome write(const TranscriptionResult&, const std::string&,
                             const std::optional<ResultWriterOptions>&) const override {
        return {};
    }
    std::string formatTime(float seconds, bool alwaysIncludeHours, std::string_view marker) const override {
        return "<" + std::to_string(static_cast<int>(seconds)) + (alwaysIncludeHours ? "h" : "") + std::string(marker) +
               ">";
    }

private:
    std::string folder_ = "/tmp";
};

TEST(ResultWritingEntries, UseTheConformersTimeFormatting) {
    const MarkedTimes marked;
    EXPECT_EQ(marked.formatSegment(3, 1.0F, 2.0F, " hi"), "3\n<1h,> --> <2h,>\n hi\n\n");
    EXPECT_EQ(marked.formatTiming(1.0F, 2.0F, " hi"), "<1.> --> <2.>\n hi\n\n");

    const WriteSRT plain("/tmp");
    EXPECT_EQ(plain.formatSegment(1, 0.0F, 2.5F, " Hello"), "1\n00:00:00,000 --> 00:00:02,500\n Hello\n\n");
    EXPECT_EQ(plain.formatTiming(0.0F, 2.5F, " Hello"), "00:00.000 --> 00:02.500\n Hello\n\n");
}

struct ReaderCase {
    const char* name;
    const char* content;
};

// The readers must refuse broken files, or the tests above would prove nothing.
TEST(SubtitleReaders, RefuseFilesThatBreakTheFormats) {
    const ReaderCase subRip[] = {
        {"number out of sequence", "2\n00:00:00,000 --> 00:00:01,000\nx\n\n"},
        {"full stop marker", "1\n00:00:00.000 --> 00:00:01,000\nx\n\n"},
        {"no hours", "1\n00:00,000 --> 00:01,000\nx\n\n"},
        {"no blank line at end", "1\n00:00:00,000 --> 00:00:01,000\nx\n"},
        {"missing text", "1\n00:00:00,000 --> 00:00:01,000\n\n"},
    };
    for (const auto& c : subRip) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(readSubRip(c.content), testing::SubtitleFormatError);
    }
    const ReaderCase webVtt[] = {
        {"no header", "00:00.000 --> 00:01.000\nx\n\n"},
        {"comma marker", "WEBVTT\n\n00:00,000 --> 00:01.000\nx\n\n"},
        {"seconds above 59", "WEBVTT\n\n00:60.000 --> 01:01.000\nx\n\n"},
        {"ends before it starts", "WEBVTT\n\n00:02.000 --> 00:01.000\nx\n\n"},
        {"header without blank line", "WEBVTT\n00:00.000 --> 00:01.000\nx\n\n"},
    };
    for (const auto& c : webVtt) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(readWebVtt(c.content), testing::SubtitleFormatError);
    }
}

} // namespace
} // namespace hushframe
