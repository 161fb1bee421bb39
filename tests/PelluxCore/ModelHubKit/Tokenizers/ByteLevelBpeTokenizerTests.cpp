#include "PelluxCore/ModelHubKit/Tokenizers/PreTrainedTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/TokenizerError.hpp"
#include "tests/PelluxCore/ModelHubKit/Tokenizers/TokenizerFixtures.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace modelhubkit {
namespace {

using ::testing::ElementsAre;

const std::string replacement = "\xEF\xBF\xBD";
const std::string emoji = "\xF0\x9F\x98\x80";

class ByteLevelBpeTokenizerTests : public ::testing::Test {
protected:
    PreTrainedTokenizer tokenizer{testing::byteLevelBpeConfig(), testing::byteLevelBpeData(), true};
};

TEST_F(ByteLevelBpeTokenizerTests, EncodesWordsThroughRankedMerges) {
    EXPECT_THAT(tokenizer.encode("hello world", false), ElementsAre(11, 16));
    EXPECT_THAT(tokenizer.tokenize("hello world"), ElementsAre("hello", "\xC4\xA0world"));
    // Without a leading space "world" cannot use the "Ġ w" merges.
    EXPECT_THAT(tokenizer.encode("world", false), ElementsAre(4, 13, 15));
    EXPECT_THAT(tokenizer.encode("", false), ElementsAre());
    // Equal pairs merge leftmost first.
    EXPECT_THAT(tokenizer.encode("lllo", false), ElementsAre(9, 2, 3));
    EXPECT_THAT(tokenizer.encode("llllo", false), ElementsAre(9, 10));
    // A long word merges in one pass over its pairs.
    std::string longWord;
    for (int i = 0; i < 20000; ++i) longWord += "hello";
    EXPECT_EQ(tokenizer.encode(longWord, false), std::vector<int>(20000, 11));
}

TEST_F(ByteLevelBpeTokenizerTests, AddsTheTemplateSpecialTokensByDefault) {
    EXPECT_THAT(tokenizer.encode("hello world"), ElementsAre(51, 11, 16, 50));
    EXPECT_THAT(tokenizer.encode("hello world", true), ElementsAre(51, 11, 16, 50));
}

TEST_F(ByteLevelBpeTokenizerTests, DecodesWithAndWithoutSpecialTokens) {
    const std::vector<int> ids{51, 52, 53, 54, 11, 16, 56, 55, 50};
    EXPECT_EQ(tokenizer.decode(ids),
              "<|startoftranscript|><|en|><|transcribe|><|notimestamps|>hello world<custom><|0.00|><|endoftext|>");
    EXPECT_EQ(tokenizer.decode(ids, true), "hello world<custom>");
    EXPECT_EQ(tokenizer.decode(tokenizer.encode("hello world!", false)), "hello world!");
}

TEST_F(ByteLevelBpeTokenizerTests, SplitsAddedTokensOutBeforeTheModel) {
    EXPECT_THAT(tokenizer.encode("<|en|>hello<|0.00|> world<|endoftext|>", false), ElementsAre(52, 11, 55, 16, 50));
    // An unfinished token text is ordinary text.
    EXPECT_THAT(tokenizer.encode("<|en", false), ElementsAre(24, 25, 1, 26));
    EXPECT_THAT(tokenizer.encode("hello<custom>", true), ElementsAre(51, 11, 56, 50));
}

TEST_F(ByteLevelBpeTokenizerTests, CharacterCutBetweenTokensDecodesToReplacementNeverInvalidUtf8) {
    EXPECT_THAT(tokenizer.encode(emoji, false), ElementsAre(21, 22));
    EXPECT_EQ(tokenizer.decode(std::vector<int>{21, 22}), emoji);
    EXPECT_EQ(tokenizer.decode(std::vector<int>{21}), replacement);
    // Two continuation bytes on their own are two ill-formed sequences.
    EXPECT_EQ(tokenizer.decode(std::vector<int>{22}), replacement + replacement);
    EXPECT_EQ(tokenizer.decode(std::vector<int>{11, 21}), "hello" + replacement);
    // An added token between the halves keeps them apart unless it is skipped.
    EXPECT_EQ(tokenizer.decode(std::vector<int>{21, 50, 22}), replacement + "<|endoftext|>" + replacement + replacement);
    EXPECT_EQ(tokenizer.decode(std::vector<int>{21, 50, 22}, true), emoji);
}

TEST_F(ByteLevelBpeTokenizerTests, LooksUpTokensAndIdsIncludingAddedTokens) {
    EXPECT_EQ(tokenizer.convertTokenToId("<|notimestamps|>"), 54);
    EXPECT_EQ(tokenizer.convertTokenToId("<|0.00|>"), 55);
    EXPECT_EQ(tokenizer.convertTokenToId("\xC4\xA0world"), 16);
    EXPECT_EQ(tokenizer.convertTokenToId("<|nospeech|>"), std::nullopt);
    EXPECT_EQ(tokenizer.convertIdToToken(52), "<|en|>");
    EXPECT_EQ(tokenizer.convertIdToToken(11), "hello");
    EXPECT_EQ(tokenizer.convertIdToToken(999), std::nullopt);
    EXPECT_EQ(tokenizer.convertIdToToken(-1), std::nullopt);
    const std::vector<std::string> tokens{"<|en|>", "nope"};
    EXPECT_THAT(tokenizer.convertTokensToIds(tokens), ElementsAre(52, std::nullopt));
    EXPECT_THAT(tokenizer.convertIdsToTokens(std::vector<int>{50, 7, 30}),
                ElementsAre("<|endoftext|>", "\xC4\xA0", std::nullopt));
}

TEST_F(ByteLevelBpeTokenizerTests, UnknownIdsAreLeftOutOfDecodedText) {
    EXPECT_EQ(tokenizer.decode(std::vector<int>{11, 4000, -3, 16}), "hello world");
}

TEST_F(ByteLevelBpeTokenizerTests, SpecialTokensComeFromTheConfiguration) {
    EXPECT_EQ(tokenizer.bosToken(), "<|endoftext|>");
    EXPECT_EQ(tokenizer.bosTokenId(), 50);
    EXPECT_EQ(tokenizer.eosToken(), "<|endoftext|>");
    EXPECT_EQ(tokenizer.eosTokenId(), 50);
    EXPECT_EQ(tokenizer.unknownToken(), "<|endoftext|>");
    EXPECT_EQ(tokenizer.unknownTokenId(), 50);

    const PreTrainedTokenizer bare(nlohmann::json::object(), testing::byteLevelBpeData(), true);
    EXPECT_EQ(bare.bosToken(), std::nullopt);
    EXPECT_EQ(bare.eosTokenId(), std::nullopt);
    EXPECT_EQ(bare.unknownToken(), std::nullopt);
}

TEST(ByteLevelBpeOptionsTests, PrefixSpaceMakesALeadingWordLikeAnInnerOne) {
    auto data = testing::byteLevelBpeData();
    data["pre_tokenizer"]["add_prefix_space"] = true;
    const PreTrainedTokenizer tokenizer(nlohmann::json::object(), data, true);
    EXPECT_THAT(tokenizer.encode("world", false), ElementsAre(16));
}

TEST(ByteLevelBpeOptionsTests, IgnoreMergesTakesWholeVocabularyWordsDirectly) {
    auto data = testing::byteLevelBpeData();
    data["model"]["vocab"]["wor"] = 30;
    data["model"]["ignore_merges"] = true;
    const PreTrainedTokenizer tokenizer(nlohmann::json::object(), data, true);
    EXPECT_THAT(tokenizer.encode("wor", false), ElementsAre(30));
}

TEST(ByteLevelBpeOptionsTests, CharacterOutsideTheVocabularyIsAnErrorWithoutUnknownToken) {
    const PreTrainedTokenizer tokenizer(nlohmann::json::object(), testing::byteLevelBpeData(), true);
    try {
        tokenizer.encode("z", false);
        FAIL() << "expected an error";
    } catch (const TokenizerError& error) {
        EXPECT_EQ(error.kind(), TokenizerErrorKind::encodingFailed);
    }
}

TEST(ByteLevelBpeOptionsTests, UnknownTokenAndByteFallbackCoverMissingCharacters) {
    auto data = testing::byteLevelBpeData();
    data["pre_tokenizer"] = nullptr;
    data["decoder"] = nullptr;
    data["model"]["vocab"]["<unk>"] = 40;
    data["model"]["unk_token"] = "<unk>";
    data["model"]["fuse_unk"] = true;
    const PreTrainedTokenizer fused(nlohmann::json::object(), data, true);
    EXPECT_THAT(fused.encode("hezzo", false), ElementsAre(8, 40, 3));

    data["model"]["byte_fallback"] = true;
    data["model"]["vocab"]["<0x7A>"] = 41;
    const PreTrainedTokenizer withBytes(nlohmann::json::object(), data, true);
    EXPECT_THAT(withBytes.encode("hzq", false), ElementsAre(0, 41, 40));
}

} // namespace
} // namespace modelhubkit
