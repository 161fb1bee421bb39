#include "Hushframe/Core/Configurations/DecodingOptions.hpp"
#include "tests/Hushframe/Core/JsonKeys.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace hushframe {
namespace {

using ::testing::HasSubstr;

TEST(DecodingOptionsTests, DefaultsMatchWhatThePipelineUsesWhenACallPassesNone) {
    const DecodingOptions options;
    EXPECT_FALSE(options.verbose);
    EXPECT_EQ(options.task, DecodingTask::transcribe);
    EXPECT_FALSE(options.language.has_value());
    EXPECT_EQ(options.temperature, 0.0F);
    EXPECT_EQ(options.temperatureIncrementOnFallback, 0.2F);
    EXPECT_EQ(options.temperatureFallbackCount, 5);
    EXPECT_EQ(options.sampleLength, 224);
    EXPECT_EQ(options.topK, 5);
    EXPECT_TRUE(options.usePrefillPrompt);
    EXPECT_FALSE(options.detectLanguage);
    EXPECT_TRUE(options.clipTimestamps.empty());
    EXPECT_EQ(options.windowClipTime, 1.0F);
    EXPECT_TRUE(options.suppressTokens.empty());
    EXPECT_EQ(options.compressionRatioThreshold, 2.4F);
    EXPECT_EQ(options.logProbThreshold, -1.0F);
    EXPECT_EQ(options.firstTokenLogProbThreshold, -1.5F);
    EXPECT_EQ(options.noSpeechThreshold, 0.6F);
    EXPECT_EQ(options.concurrentWorkerCount, 16);
    EXPECT_FALSE(options.chunkingStrategy.has_value());
}

TEST(DecodingOptionsTests, InitialiserDerivesTheThreeArgumentsThatDifferFromTheirFields) {
    EXPECT_TRUE(DecodingOptions({.usePrefillPrompt = false}).detectLanguage);
    EXPECT_FALSE(DecodingOptions({.usePrefillPrompt = false, .detectLanguage = false}).detectLanguage);
    EXPECT_TRUE(DecodingOptions({.usePrefillPrompt = true, .detectLanguage = true}).detectLanguage);
    EXPECT_EQ(DecodingOptions({.concurrentWorkerCount = 0}).concurrentWorkerCount, 0);
    EXPECT_EQ(DecodingOptions({.suppressTokens = std::vector<int>{1, 2}}).suppressTokens, (std::vector<int>{1, 2}));
}

TEST(DecodingOptionsTests, JsonLeavesAbsentOptionalsOutAndReadsBackEqual) {
    const DecodingOptions defaults;
    const nlohmann::ordered_json written = defaults;
    for (const char* absent : {"language", "maxInitialTimestamp", "maxWindowSeek", "promptTokens", "prefixTokens",
                               "chunkingStrategy"}) {
        EXPECT_FALSE(written.contains(absent)) << absent;
    }
    EXPECT_EQ(written.size(), 21U);
    EXPECT_EQ(written.at("task"), nlohmann::ordered_json::parse(R"({"transcribe": {}})"));
    // Floats are written as they read, not as their widened double.
    EXPECT_EQ(written.at("temperatureIncrementOnFallback").dump(), "0.2");
    EXPECT_EQ(written.at("compressionRatioThreshold").dump(), "2.4");
    EXPECT_EQ(written.get<DecodingOptions>(), defaults);

    const DecodingOptions full({.verbose = true,
                                .task = DecodingTask::translate,
                                .language = "de",
                                .temperature = 0.4F,
                                .maxInitialTimestamp = 1.5F,
                                .maxWindowSeek = 32000,
                                .clipTimestamps = {0.5F, 2.0F, 4.0F},
                                .promptTokens = std::vector<int>{1, 2},
                                .prefixTokens = std::vector<int>{},
                                .suppressTokens = std::vector<int>{9},
                                .compressionRatioThreshold = std::nullopt,
                                .concurrentWorkerCount = 2,
                                .chunkingStrategy = ChunkingStrategy::vad});
    const nlohmann::ordered_json fullJson = full;
    EXPECT_EQ(fullJson.at("task"), nlohmann::ordered_json::parse(R"({"translate": {}})"));
    EXPECT_EQ(fullJson.at("chunkingStrategy"), "vad");
    EXPECT_EQ(fullJson.at("prefixTokens"), nlohmann::ordered_json::array());
    EXPECT_FALSE(fullJson.contains("compressionRatioThreshold"));
    EXPECT_EQ(fullJson.get<DecodingOptions>(), full);
}

TEST(DecodingOptionsTests, JsonKeysFollowTheFieldOrder) {
    const DecodingOptions full({.language = "de",
                                .maxInitialTimestamp = 1.0F,
                                .maxWindowSeek = 10,
                                .promptTokens = std::vector<int>{1},
                                .prefixTokens = std::vector<int>{2},
                                .chunkingStrategy = ChunkingStrategy::none});
    EXPECT_EQ(testing::keysOf(full),
              (std::vector<std::string>{"verbose", "task", "language", "temperature", "temperatureIncrementOnFallback",
                                        "temperatureFallbackCount", "sampleLength", "topK", "usePrefillPrompt",
                                        "detectLanguage", "skipSpecialTokens", "withoutTimestamps", "wordTimestamps",
                                        "maxInitialTimestamp", "maxWindowSeek", "clipTimestamps", "windowClipTime",
                                        "promptTokens", "prefixTokens", "suppressBlank", "suppressTokens",
                                        "compressionRatioThreshold", "logProbThreshold", "firstTokenLogProbThreshold",
                                        "noSpeechThreshold", "concurrentWorkerCount", "chunkingStrategy"}));
}

TEST(DecodingOptionsTests, ReadingTakesFieldsAsStored) {
    nlohmann::ordered_json json = DecodingOptions();
    json.erase("compressionRatioThreshold");
    json["usePrefillPrompt"] = false;
    json["detectLanguage"] = false;
    json["unknownKey"] = "ignored";
    const auto read = json.get<DecodingOptions>();
    // A missing threshold stays off instead of returning to its default, and
    // the initialiser's rule for detectLanguage is not applied.
    EXPECT_FALSE(read.compressionRatioThreshold.has_value());
    EXPECT_FALSE(read.detectLanguage);
}

TEST(DecodingOptionsTests, ReadingFailsOnAMissingRequiredKeyOrAWrongType) {
    const nlohmann::ordered_json valid = DecodingOptions();
    for (const char* key : {"verbose", "task", "temperature", "sampleLength", "clipTimestamps", "suppressTokens",
                            "concurrentWorkerCount"}) {
        auto broken = valid;
        broken.erase(key);
        EXPECT_THROW(broken.get<DecodingOptions>(), nlohmann::ordered_json::exception) << key;
    }
    const std::vector<std::pair<const char*, nlohmann::ordered_json>> wrongTypes = {
        {"sampleLength", 1.5}, {"verbose", 1},       {"temperature", true},
        {"language", 3},       {"promptTokens", "x"}, {"chunkingStrategy", "VAD"},
    };
    for (const auto& [key, value] : wrongTypes) {
        auto broken = valid;
        broken[key] = value;
        EXPECT_THROW(broken.get<DecodingOptions>(), nlohmann::ordered_json::exception) << key;
    }
}

TEST(DecodingOptionsTests, TaskContainerMustHoldExactlyOneCase) {
    for (const char* text : {R"({"transcribe": {}, "translate": {}})", R"({"summarise": {}})", R"({})"}) {
        try {
            nlohmann::ordered_json::parse(text).get<DecodingTask>();
            FAIL() << text;
        } catch (const nlohmann::ordered_json::type_error& error) {
            EXPECT_THAT(error.what(), HasSubstr("Invalid number of keys found, expected one.")) << text;
        }
    }
    EXPECT_EQ(nlohmann::ordered_json::parse(R"({"translate": {}, "other": 1})").get<DecodingTask>(),
              DecodingTask::translate);
    EXPECT_THROW(nlohmann::ordered_json::parse(R"({"translate": 1})").get<DecodingTask>(),
                 nlohmann::ordered_json::exception);
}

TEST(DecodingOptionsTests, TaskAndChunkingStrategyTexts) {
    EXPECT_EQ(description(DecodingTask::transcribe), "transcribe");
    EXPECT_EQ(description(DecodingTask::translate), "translate");
    EXPECT_THAT(allCases<DecodingTask>(), ::testing::ElementsAre(DecodingTask::transcribe, DecodingTask::translate));

    EXPECT_EQ(fromRawValue<ChunkingStrategy>("vad"), ChunkingStrategy::vad);
    EXPECT_EQ(fromRawValue<ChunkingStrategy>("none"), ChunkingStrategy::none);
    EXPECT_FALSE(fromRawValue<ChunkingStrategy>("Vad").has_value());
    EXPECT_FALSE(fromRawValue<ChunkingStrategy>("VAD").has_value());
    EXPECT_THAT(allCases<ChunkingStrategy>(), ::testing::ElementsAre(ChunkingStrategy::none, ChunkingStrategy::vad));
}

TEST(DecodingOptionsTests, SeekClipsPairClipTimestampsAsSampleRanges) {
    using Clips = std::vector<std::pair<std::int64_t, std::int64_t>>;
    EXPECT_EQ(DecodingOptions().prepareSeekClips(640000), (Clips{{0, 640000}}));
    EXPECT_EQ(DecodingOptions({.clipTimestamps = {5.0F}}).prepareSeekClips(640000), (Clips{{80000, 640000}}));
    EXPECT_EQ(DecodingOptions({.clipTimestamps = {1.0F, 2.0F, 3.5F}}).prepareSeekClips(640000),
              (Clips{{16000, 32000}, {56000, 640000}}));
    // Halves round away from zero; nothing is sorted or clamped.
    EXPECT_EQ(DecodingOptions({.clipTimestamps = {0.00003125F, 0.0F}}).prepareSeekClips(10), (Clips{{1, 0}}));
    EXPECT_EQ(DecodingOptions({.clipTimestamps = {-0.00003125F, 100.0F}}).prepareSeekClips(10), (Clips{{-1, 1600000}}));
}

} // namespace
} // namespace hushframe
