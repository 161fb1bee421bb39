#include "Hushframe/Core/Models/TranscriptionOutcome.hpp"
#include "Hushframe/Core/Models/TranscriptionResult.hpp"
#include "Hushframe/Core/Models/TranscriptionState.hpp"
#include "tests/Hushframe/Core/JsonKeys.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <thread>

namespace hushframe {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

WordTiming word(std::string text, float start) { return WordTiming{std::move(text), {1}, start, start + 0.5F, 0.9F}; }

TranscriptionSegment segment(std::int64_t id, float start, float end, std::string text,
                             std::optional<std::vector<WordTiming>> words = std::nullopt) {
    TranscriptionSegment s;
    s.id = id;
    s.seek = 480000;
    s.start = start;
    s.end = end;
    s.text = std::move(text);
    s.tokens = {50364, 11, 16};
    s.tokenLogProbs = {{{50364, -0.1F}}, {{11, -0.25F}}, {{16, -1.5F}}};
    s.temperature = 0.2F;
    s.avgLogprob = -0.5F;
    s.compressionRatio = 1.25F;
    s.noSpeechProb = 0.01F;
    s.words = std::move(words);
    return s;
}

TEST(TranscriptionTimingsTests, DefaultRecordAndItsDerivedValues) {
    const TranscriptionTimings timings;
    EXPECT_EQ(timings.pipelineStart, std::numeric_limits<double>::max());
    EXPECT_EQ(timings.firstTokenTime, timings.pipelineStart);
    EXPECT_EQ(timings.inputAudioSeconds, 0.001);
    EXPECT_EQ(timings.realTimeFactor(), 0.0);
    EXPECT_TRUE(std::isinf(timings.speedFactor()));
    EXPECT_TRUE(std::isnan(timings.tokensPerSecond()));

    const TranscriptionTimings filled{.decodingWordTimestamps = 2.5};
    EXPECT_EQ(filled.decodingWordTimestamps, 2.5);
    EXPECT_EQ(filled.decodingWindowing, 0.0);
}

TEST(TranscriptionTimingsTests, JsonHoldsAllThirtyThreeFieldsAndNeedsEachOne) {
    const TranscriptionTimings defaults;
    const nlohmann::ordered_json json = defaults;
    EXPECT_EQ(json.size(), 33U);
    EXPECT_EQ(json.at("pipelineStart").get<double>(), std::numeric_limits<double>::max());
    EXPECT_EQ(json.at("inputAudioSeconds").get<double>(), 0.001);
    EXPECT_EQ(nlohmann::ordered_json::parse(json.dump()).get<TranscriptionTimings>(), defaults);

    for (const auto& [key, value] : json.items()) {
        auto missing = json;
        missing.erase(key);
        EXPECT_THROW(missing.get<TranscriptionTimings>(), nlohmann::ordered_json::exception) << key;
    }
    auto notANumber = json;
    notANumber["fullPipeline"] = "1";
    EXPECT_THROW(notANumber.get<TranscriptionTimings>(), nlohmann::ordered_json::exception);
    auto extra = json;
    extra["decodingTimestampAlignment"] = 3;
    EXPECT_EQ(extra.get<TranscriptionTimings>(), defaults);
}

TEST(TranscriptionSegmentTests, WordsAreOmittedWhenAbsentAndAbsentDiffersFromEmpty) {
    const auto without = segment(0, 0, 2.5F, " Hello");
    const nlohmann::ordered_json json = without;
    EXPECT_FALSE(json.contains("words"));
    EXPECT_EQ(json.at("tokenLogProbs"),
              nlohmann::ordered_json::parse(R"([{"50364": -0.1}, {"11": -0.25}, {"16": -1.5}])"));
    EXPECT_EQ(json.get<TranscriptionSegment>(), without);

    auto withNull = json;
    withNull["words"] = nullptr;
    EXPECT_FALSE(withNull.get<TranscriptionSegment>().words.has_value());

    const auto empty = segment(0, 0, 2.5F, " Hello", std::vector<WordTiming>{});
    const auto readEmpty = nlohmann::ordered_json(empty).get<TranscriptionSegment>();
    ASSERT_TRUE(readEmpty.words.has_value());
    EXPECT_TRUE(readEmpty.words->empty());
    EXPECT_NE(empty, without);

    const auto withWords = segment(3, 1, 2, " a b", std::vector<WordTiming>{word("a", 1), word("b", 1.5F)});
    EXPECT_EQ(nlohmann::ordered_json(withWords).get<TranscriptionSegment>(), withWords);
}

TEST(TranscriptionSegmentTests, ReadingFailsOnMissingKeysAndBadTokenKeys) {
    const nlohmann::ordered_json valid = segment(0, 0, 1, "x");
    for (const char* key : {"id", "seek", "start", "tokens", "tokenLogProbs", "noSpeechProb"}) {
        auto broken = valid;
        broken.erase(key);
        EXPECT_THROW(broken.get<TranscriptionSegment>(), nlohmann::ordered_json::exception) << key;
    }
    auto badKey = valid;
    badKey["tokenLogProbs"] = nlohmann::ordered_json::parse(R"([{"eleven": -0.5}])");
    EXPECT_THROW(badKey.get<TranscriptionSegment>(), nlohmann::ordered_json::exception);
    auto fractionalId = valid;
    fractionalId["id"] = 1.5;
    EXPECT_THROW(fractionalId.get<TranscriptionSegment>(), nlohmann::ordered_json::exception);
}

TEST(TranscriptionSegmentTests, DurationsEqualityAndContainment) {
    EXPECT_EQ(segment(0, 3, 2, "").duration(), -1.0F);
    EXPECT_EQ(word("a", 1).duration(), 0.5F);

    auto nan = segment(0, 0, 1, "x");
    nan.temperature = std::nanf("");
    EXPECT_NE(nan, nan);

    const std::vector<TranscriptionSegment> segments = {segment(0, 0, 1, "a"), segment(1, 1, 2, "b")};
    EXPECT_TRUE(contains(segments, segment(9, 1, 5, "other")));
    EXPECT_FALSE(contains(segments, segment(0, 0.5F, 1, "a")));
    EXPECT_FALSE(contains(segments, segment(0, std::nanf(""), 1, "a")));
}

TEST(TranscriptionResultTests, AllWordsConcatenatesTheSegmentsThatHaveThem) {
    TranscriptionResult result("a b c",
                               {segment(0, 0, 1, "a b", std::vector<WordTiming>{word("a", 0), word("b", 0.5F)}),
                                segment(1, 1, 2, "-"), segment(2, 2, 3, "c", std::vector<WordTiming>{word("c", 2)})},
                               "en", {});
    EXPECT_THAT(result.allWords(), ElementsAre(word("a", 0), word("b", 0.5F), word("c", 2)));
    TranscriptionResult none("", {segment(0, 0, 1, "x")}, "en", {});
    EXPECT_TRUE(none.allWords().empty());
}

TEST(TranscriptionResultTests, JsonWritesSeekTimeAsNullAndRequiresTheKey) {
    const TranscriptionResult result(" Hi", {segment(0, 0, 1, " Hi")}, "de", {});
    nlohmann::ordered_json json = result;
    EXPECT_EQ(json.size(), 5U);
    EXPECT_TRUE(json.at("seekTime").is_null());
    EXPECT_EQ(json.at("text"), " Hi");

    const TranscriptionResult read(json);
    EXPECT_EQ(read.text(), " Hi");
    EXPECT_EQ(read.language(), "de");
    EXPECT_EQ(read.segments(), result.segments());
    EXPECT_EQ(read.timings(), result.timings());
    EXPECT_FALSE(read.seekTime().has_value());

    json["seekTime"] = 30.0;
    EXPECT_EQ(TranscriptionResult(json).seekTime(), 30.0F);
    json.erase("seekTime");
    EXPECT_THROW(TranscriptionResult{json}, nlohmann::ordered_json::exception);
}

TEST(TranscriptionResultTests, ValueMirrorOmitsAnAbsentSeekTimeAndAcceptsItsAbsence) {
    const TranscriptionResultStruct value{"t", {segment(0, 0, 1, "t")}, "en", {}, std::nullopt};
    const nlohmann::ordered_json json = value;
    EXPECT_FALSE(json.contains("seekTime"));
    EXPECT_EQ(json.get<TranscriptionResultStruct>(), value);

    auto withNull = json;
    withNull["seekTime"] = nullptr;
    EXPECT_EQ(withNull.get<TranscriptionResultStruct>(), value);
    auto withSeek = json;
    withSeek["seekTime"] = 2.5;
    EXPECT_EQ(withSeek.get<TranscriptionResultStruct>().seekTime, 2.5F);
}

TEST(TranscriptionResultTests, JsonKeysFollowTheFieldOrder) {
    const auto withWords = segment(0, 0, 1, "a", std::vector<WordTiming>{word("a", 0)});
    const std::vector<std::string> resultKeys{"text", "segments", "language", "timings", "seekTime"};
    struct Case {
        const char* name;
        std::vector<std::string> written;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"result", testing::keysOf(TranscriptionResult("a", {withWords}, "en", {}, 1.0F)), resultKeys},
        {"value record", testing::keysOf(TranscriptionResultStruct{"a", {withWords}, "en", {}, 1.0F}), resultKeys},
        {"segment", testing::keysOf(withWords),
         {"id", "seek", "start", "end", "text", "tokens", "tokenLogProbs", "temperature", "avgLogprob",
          "compressionRatio", "noSpeechProb", "words"}},
        {"word", testing::keysOf(word("a", 0)), {"word", "tokens", "start", "end", "probability"}},
        {"timings", testing::keysOf(TranscriptionTimings{}),
         {"pipelineStart", "firstTokenTime", "inputAudioSeconds", "modelLoading", "prewarmLoadTime",
          "encoderLoadTime", "decoderLoadTime", "encoderSpecializationTime", "decoderSpecializationTime",
          "tokenizerLoadTime", "audioLoading", "audioProcessing", "logmels", "encoding", "decodingInit",
          "decodingLoop", "decodingPredictions", "decodingFiltering", "decodingSampling", "decodingFallback",
          "decodingWindowing", "decodingKvCaching", "decodingWordTimestamps", "decodingNonPrediction",
          "totalAudioProcessingRuns", "totalLogmelRuns", "totalEncodingRuns", "totalDecodingLoops",
          "totalKVUpdateRuns", "totalTimestampAlignmentRuns", "totalDecodingFallbacks", "totalDecodingWindows",
          "fullPipeline"}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.written, c.expected) << c.name;
}

TEST(TranscriptionResultTests, PropertiesStayConsistentUnderConcurrentChanges) {
    TranscriptionResult result("", {}, "en", {});
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&result] {
            for (int i = 0; i < 500; ++i) {
                result.modifySegments([](auto& segments) { segments.push_back(segment(0, 0, 1, "x")); });
                result.modifyText([](std::string& text) { text += "x"; });
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(result.segments().size(), 2000U);
    EXPECT_EQ(result.text().size(), 2000U);
}

TEST(TranscriptionResultTests, LogSegmentsNumbersByPosition) {
    const TranscriptionResult result("", {segment(7, 0, 2.5F, " Hello there"), segment(8, 2.5F, 3, " Bye")}, "en", {});
    testing::PackageLogCapture log;
    result.logSegments();
    EXPECT_THAT(log.messages(),
                ElementsAre("[Segment 0] [0.00 --> 2.50]  Hello there", "[Segment 1] [2.50 --> 3.00]  Bye"));
}

TEST(TranscriptionResultTests, TimingReportOfAnUnfilledRecord) {
    const TranscriptionResult result("", {}, "en", {});
    testing::PackageLogCapture log(pelluxcore::Logging::LogLevel::info);
    result.logTimings();
    ASSERT_EQ(log.messages().size(), 1U);
    const std::string report = log.messages()[0];
    EXPECT_TRUE(report.starts_with("---- Transcription Timings ----\nAudio Load:          "));
    EXPECT_THAT(report, HasSubstr("\n-------------------------------\nModel Load Time:               0.00 seconds\n"));
    EXPECT_THAT(report, HasSubstr("\nTime to first token:           0.00 seconds\n"));
    EXPECT_THAT(report, HasSubstr("\nTotal Tokens:                  0\n"));
    EXPECT_THAT(report, HasSubstr("nan tok/s\n"));
    EXPECT_THAT(report, HasSubstr("nan seconds\n- Audio Windows:"));
    EXPECT_THAT(report, HasSubstr("\nReal Time Factor:              0.000\nSpeed Factor:                  inf\n"));
    EXPECT_TRUE(report.ends_with("\nFallbacks:                     0.0"));
}

TEST(TranscriptionResultTests, TimingReportOfAFilledRecord) {
    TranscriptionTimings timings{.pipelineStart = 100, .firstTokenTime = 100.25, .inputAudioSeconds = 10,
                                 .decodingLoop = 1, .totalDecodingLoops = 40, .totalDecodingFallbacks = 2,
                                 .fullPipeline = 2};
    const TranscriptionResult result("", {segment(0, 0, 1, "a"), segment(1, 1, 2, "b")}, "en", timings);
    testing::PackageLogCapture log(pelluxcore::Logging::LogLevel::info);
    result.logTimings();
    const std::string report = log.messages().at(0);
    EXPECT_THAT(report, HasSubstr("\nDecoding Full Loop:  " +
                                  pelluxcore::Logging::formatTimeWithPercentage(1, 40, 2000) + "\n"));
    EXPECT_THAT(report, HasSubstr("Time to first token:           0.25 seconds"));
    EXPECT_THAT(report, HasSubstr("Total Tokens:                  6\n"));
    EXPECT_THAT(report, HasSubstr("Tokens per Second:             20.00 tok/s"));
    EXPECT_THAT(report, HasSubstr("Real Time Factor:              0.200\nSpeed Factor:                  5.000"));
    EXPECT_TRUE(report.ends_with("Fallbacks:                     2.0"));
}

TEST(TranscriptionStateTests, DisplayTexts) {
    EXPECT_EQ(description(TranscriptionState::convertingAudio), "Converting Audio");
    EXPECT_EQ(description(TranscriptionState::transcribing), "Transcribing");
    EXPECT_EQ(description(TranscriptionState::finished), "Finished");
}

TEST(TranscriptionOutcomeTests, FailuresBecomeAbsentListsInPlace) {
    const auto result = std::make_shared<TranscriptionResult>("a", std::vector<TranscriptionSegment>{}, "en",
                                                              TranscriptionTimings{});
    const std::vector<TranscriptionOutcome> outcomes = {
        TranscriptionResults{result}, std::make_exception_ptr(std::runtime_error("boom")), TranscriptionResults{}};
    const auto optional = toOptionalArrays(outcomes);
    ASSERT_EQ(optional.size(), 3U);
    ASSERT_TRUE(optional[0].has_value());
    EXPECT_EQ(optional[0]->at(0), result);
    EXPECT_FALSE(optional[1].has_value());
    ASSERT_TRUE(optional[2].has_value());
    EXPECT_TRUE(optional[2]->empty());
}

} // namespace
} // namespace hushframe
