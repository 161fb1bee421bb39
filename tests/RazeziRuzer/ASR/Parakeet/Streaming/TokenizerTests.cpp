#include "RazeziRuzer/ASR/Parakeet/Streaming/Tokenizer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace razeziruzer {
namespace {

class TokenizerTests : public ::testing::Test {
protected:
    Tokenizer make(const std::string& json) { return Tokenizer(folder.write("vocab.json", json)); }
    testsupport::TemporaryDirectory folder;
};

TEST_F(TokenizerTests, DecodesPiecesIntoSpacedTrimmedText) {
    const auto tokenizer = make(R"({"0": "▁hello", "1": "▁world", "2": "▁", "3": "ing", "4": "\t", "5": "\n",
                                    "6": " ", "7": "\u3000"})");
    struct Case {
        const char* name;
        std::vector<std::int64_t> ids;
        std::string text;
    };
    const Case cases[] = {
        {"empty", {}, ""},
        {"unknown ids only", {42, -1}, ""},
        {"two words", {0, 1}, "hello world"},
        {"word piece joins", {0, 3}, "helloing"},
        {"lone mark keeps two inner spaces", {0, 2, 1}, "hello  world"},
        {"unknown ids are skipped", {0, 99, 1}, "hello world"},
        {"trailing tab trimmed", {0, 4}, "hello"},
        {"trailing line break kept", {0, 5}, "hello\n"},
        {"leading line break kept", {5, 0}, "\n hello"},
        {"ideographic space trimmed", {7, 0, 6}, "hello"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tokenizer.decode(c.ids), c.text);
    }
    EXPECT_EQ(tokenizer.piece(0), "▁hello");
    EXPECT_EQ(tokenizer.rawToken(0), "▁hello");
    EXPECT_EQ(tokenizer.piece(99), std::nullopt);
}

TEST_F(TokenizerTests, KeysAreSignedDecimalIntegers) {
    const auto tokenizer = make(R"({"+5": "plus", "-3": "minus", "7x": "letter", " 8": "space", "": "empty",
                                    "99999999999999999999": "huge", "9223372036854775807": "max",
                                    "-9223372036854775808": "min", "9223372036854775808": "over"})");
    EXPECT_EQ(tokenizer.piece(5), "plus");
    EXPECT_EQ(tokenizer.piece(-3), "minus");
    EXPECT_EQ(tokenizer.piece(INT64_MAX), "max");
    EXPECT_EQ(tokenizer.piece(INT64_MIN), "min");
    EXPECT_EQ(tokenizer.idToToken().size(), 4u);
    EXPECT_EQ(tokenizer.vocab().size(), 9u);
    EXPECT_EQ(Tokenizer::parseKey("+"), std::nullopt);
    EXPECT_EQ(Tokenizer::parseKey("07"), 7);
}

TEST_F(TokenizerTests, UnusableFilesAreErrors) {
    EXPECT_THROW(Tokenizer(folder / "missing.json"), std::filesystem::filesystem_error);
    EXPECT_THROW(make("{\"1\": "), nlohmann::json::parse_error);
    EXPECT_THROW(make("[\"a\"]"), std::runtime_error);
    EXPECT_THROW(make("{\"1\": 5}"), std::runtime_error);
    EXPECT_EQ(make("{\"a\": \"b\"}").decode({0, 1}), "");
}

} // namespace
} // namespace razeziruzer
