// Token ids to text without language tags, the first detected language, and
// the tag id of a language.

#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualTokenizer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <fstream>

namespace razeziruzer {
namespace {

constexpr int hello = 0, boundary = 1, world = 2, english = 3, german = 4, unknownTag = 5, bare = 6, empty = 7;

class NemotronMultilingualTokenizerTest : public ::testing::Test {
protected:
    NemotronMultilingualTokenizerTest() {
        std::ofstream(folder.path() / "tokenizer.json")
            << R"({"0": "▁hello", "1": "▁", "2": "▁world", "3": "<en>", "4": "<de>", "6": "auto", "7": "<>", "8": "<fr>"})";
    }
    NemotronMultilingualTokenizer tokenizer() const {
        return NemotronMultilingualTokenizer(folder.path() / "tokenizer.json", {english, german, unknownTag, bare, empty});
    }
    testsupport::TemporaryDirectory folder;
};

TEST_F(NemotronMultilingualTokenizerTest, DecodesWithoutTagsAndReportsTheFirstResolvableTag) {
    const auto t = tokenizer();
    struct Case {
        std::string name;
        std::vector<std::int64_t> ids;
        NemotronMultilingualDecoded decoded;
    };
    for (const auto& c : std::vector<Case>{
             {"empty", {}, {"", std::nullopt}},
             {"onlyTags", {german, english}, {"", "de"}},
             {"firstTagWins", {english, hello, german, world}, {"hello world", "en"}},
             {"spaceRunsCollapse", {hello, boundary, english, world}, {"hello world", "en"}},
             {"unknownTagSkipped", {unknownTag, german, hello}, {"hello", "de"}},
             {"tagWithoutBrackets", {bare, hello}, {"hello", "auto"}},
             {"emptyTagSticks", {empty, english}, {"", ""}},
             {"unknownWordSkipped", {99, hello}, {"hello", std::nullopt}},
             {"tagPieceOutsideTheSetIsText", {8, hello}, {"<fr> hello", std::nullopt}}}) {
        EXPECT_EQ(t.decode(c.ids), c.decoded) << c.name;
    }
}

TEST_F(NemotronMultilingualTokenizerTest, FindsTagIdsAndRawPiecesExactly) {
    const auto t = tokenizer();
    EXPECT_EQ(t.langTagTokenId("en"), english);
    EXPECT_EQ(t.langTagTokenId("EN"), std::nullopt);
    EXPECT_EQ(t.langTagTokenId("fr"), std::nullopt);  // its piece is not in the tag set
    EXPECT_EQ(t.rawToken(hello), "▁hello");
    EXPECT_EQ(t.rawToken(42), std::nullopt);
    EXPECT_THROW(NemotronMultilingualTokenizer(folder.path() / "missing.json", {}), std::exception);
}

} // namespace
} // namespace razeziruzer
