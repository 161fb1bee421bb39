// Reading a variant's "metadata.json" with its fallbacks, and the prompt id
// chosen for a language code.

#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualStreamingConfig.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>

namespace razeziruzer {
namespace {

NemotronMultilingualStreamingConfig read(const std::string& json) {
    testsupport::TemporaryDirectory folder;
    std::ofstream(folder.path() / "metadata.json") << json;
    return NemotronMultilingualStreamingConfig::from(folder.path() / "metadata.json");
}

TEST(NemotronMultilingualConfig, AnEmptyObjectGivesTheDefaults) {
    const auto config = read("{}");
    EXPECT_EQ(config, NemotronMultilingualStreamingConfig());
    EXPECT_EQ(config.promptDictionary, (std::map<std::string, std::int64_t>{{"auto", 101}}));
    EXPECT_TRUE(config.langTagTokenIds.empty());
    EXPECT_EQ(config.chunkSamples(), 112 * 160);
    EXPECT_EQ(config.blankIdx, 13087);
    EXPECT_EQ(config.cacheChannelShape, (std::vector<std::int64_t>{1, 24, 56, 1024}));
}

TEST(NemotronMultilingualConfig, FallbacksFollowTheValuesReadBeforeThem) {
    struct Case {
        std::string json;
        std::function<void(const NemotronMultilingualStreamingConfig&)> check;
    };
    const std::vector<Case> cases{
        {R"({"chunk_mel_frames": 56})",
         [](const auto& c) {
             EXPECT_EQ(c.chunkMs, 560);
             EXPECT_EQ(c.totalMelFrames, 65);
             EXPECT_EQ(c.chunkSamples(), 56 * 160);
         }},
        {R"({"chunk_mel_frames": 56, "pre_encode_cache": 16})",
         [](const auto& c) {
             EXPECT_EQ(c.preEncodeCache, 16);
             EXPECT_EQ(c.totalMelFrames, 65);
         }},
        {R"({"vocab_size": 5000})", [](const auto& c) { EXPECT_EQ(c.blankIdx, 5000); }},
        {R"({"vocab_size": 5000, "blank_idx": 3})", [](const auto& c) { EXPECT_EQ(c.blankIdx, 3); }},
        {R"({"vocab_size": 5000, "blank_idx": "3"})", [](const auto& c) { EXPECT_EQ(c.blankIdx, 5000); }},
        {R"({"chunk_ms": 12.5})", [](const auto& c) { EXPECT_EQ(c.chunkMs, 1120); }},
        {R"({"chunk_ms": 560.0, "encoder_dim": null})",
         [](const auto& c) {
             EXPECT_EQ(c.chunkMs, 560);
             EXPECT_EQ(c.encoderDim, 1024);
         }},
        {R"({"prompt_dictionary": {"en": 1}})",
         [](const auto& c) {
             EXPECT_EQ(c.promptDictionary.size(), 1u);
             EXPECT_EQ(c.promptId("auto"), 101);
         }},
        {R"({"prompt_dictionary": {"en": 1, "x": "y"}})",
         [](const auto& c) { EXPECT_EQ(c.promptDictionary, (std::map<std::string, std::int64_t>{{"auto", 101}})); }},
        {R"({"lang_tag_token_ids": [5, 5, 7]})", [](const auto& c) { EXPECT_EQ(c.langTagTokenIds, (std::set<std::int64_t>{5, 7})); }},
        {R"({"lang_tag_token_ids": "5"})", [](const auto& c) { EXPECT_TRUE(c.langTagTokenIds.empty()); }},
        {R"({"cache_time_shape": [1, 2.5]})",
         [](const auto& c) { EXPECT_EQ(c.cacheTimeShape, (std::vector<std::int64_t>{1, 24, 1024, 8})); }},
        {R"({"num_prompts": 64, "default_prompt_id": 3, "unknown": true})",
         [](const auto& c) {
             EXPECT_EQ(c.numPrompts, 64);
             EXPECT_EQ(c.defaultPromptId, 3);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        c.check(read(c.json));
    }
}

TEST(NemotronMultilingualConfig, UnusableFilesAreRefused) {
    try {
        read("[1, 2]");
        ADD_FAILURE() << "a list was accepted";
    } catch (const ASRError& error) {
        EXPECT_EQ(error.description(), "ASR processing failed: Invalid multilingual metadata.json format");
    }
    EXPECT_THROW(read("{not json"), nlohmann::json::exception);
    EXPECT_THROW(NemotronMultilingualStreamingConfig::from("/nonexistent/metadata.json"), std::filesystem::filesystem_error);
    // A chunk length whose sample count overflows describes no model.
    EXPECT_THROW(read(R"({"chunk_mel_frames": 9223372036854775000})"), ASRError);
}

TEST(NemotronMultilingualConfig, PromptIdsMatchExactThenDashedThenRegionThenLanguage) {
    NemotronMultilingualStreamingConfig config;
    config.promptDictionary = {{"en", 1}, {"zh-CN", 2}, {"pt-BR", 3}, {"de", 4}};
    const std::vector<std::pair<std::optional<std::string>, std::int64_t>> cases{
        {"en", 1},    {"zh_cn", 2}, {"PT_br", 3},  {"de-AT", 4}, {"EN", 1},          {"-en", 1},
        {"zh--cn", 101}, {"fr", 101}, {"", 101}, {std::nullopt, 101}, {"\u00C9N", 101}, {"---", 101}};
    for (const auto& [code, id] : cases) EXPECT_EQ(config.promptId(code), id) << code.value_or("absent");
}

} // namespace
} // namespace razeziruzer
