#include "PelluxCore/ModelHubKit/Tokenizers/PreTrainedTokenizer.hpp"
#include "tests/PelluxCore/ModelHubKit/Tokenizers/TokenizerFixtures.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace modelhubkit {
namespace {

using ::testing::ElementsAre;

class WordPieceTokenizerTests : public ::testing::Test {
protected:
    PreTrainedTokenizer tokenizer{nlohmann::json::object(), testing::wordPieceData(), true};
};

TEST_F(WordPieceTokenizerTests, CutsWordsIntoLongestPiecesAfterNormalizing) {
    EXPECT_THAT(tokenizer.encode("Unaffable, HELLO!", false), ElementsAre(3, 4, 5, 7, 6, 9));
    EXPECT_THAT(tokenizer.tokenize("unaffable"), ElementsAre("un", "##aff", "##able"));
    EXPECT_THAT(tokenizer.encode("hello world"), ElementsAre(1, 6, 8, 2));
}

TEST_F(WordPieceTokenizerTests, WordsThatCannotBeCutBecomeOneUnknownToken) {
    struct Case {
        const char* text;
        std::vector<int> ids;
    };
    const std::vector<Case> cases{
        {"xyz", {0}},
        {"unxyz hello", {0, 6}},           // a word cut only partly is unknown as a whole
        {"helloworldhello", {0}},          // longer than max_input_chars_per_word
        {"unaffable!", {3, 4, 5, 9}},
    };
    for (const auto& c : cases) EXPECT_EQ(tokenizer.encode(c.text, false), c.ids) << c.text;
    EXPECT_EQ(tokenizer.unknownToken(), "[UNK]");
    EXPECT_EQ(tokenizer.unknownTokenId(), 0);
}

TEST_F(WordPieceTokenizerTests, DecodingJoinsContinuationsAndTidiesPunctuation) {
    EXPECT_EQ(tokenizer.decode(std::vector<int>{3, 4, 5, 7, 6, 9}), "unaffable, hello!");
    EXPECT_EQ(tokenizer.decode(std::vector<int>{1, 6, 8, 2}, true), "hello world");
}

} // namespace
} // namespace modelhubkit
