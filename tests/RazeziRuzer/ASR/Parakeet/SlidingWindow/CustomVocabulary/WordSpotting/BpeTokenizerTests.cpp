#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/BpeTokenizer.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/BpeTokenizerError.hpp"

#include "tests/RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/TokenizerFixture.hpp"

#include <gtest/gtest.h>

using namespace razeziruzer;
using namespace tokenizerfixture;

namespace {

BpeTokenizer loadJson(const nlohmann::json& json) {
    testsupport::TemporaryDirectory folder;
    return BpeTokenizer::load(writeTokenizer(folder, json));
}

int letter(char c) { return c - 'a' + 1; }

TEST(BpeTokenizer, ReportsTheFirstFaultOfTheFileInTableOrder) {
    struct Case {
        const char* name;
        std::function<void(nlohmann::json&)> damage;
        BpeTokenizerErrorKind kind;
        std::string description;
    };
    const std::vector<Case> cases = {
        {"root is an array", [](auto& j) { j = nlohmann::json::array({1}); }, BpeTokenizerErrorKind::invalidJSON,
         "Invalid JSON: Root is not a dictionary"},
        {"no model", [](auto& j) { j.erase("model"); }, BpeTokenizerErrorKind::missingField,
         "Missing required field: model"},
        {"type not a string", [](auto& j) { j["model"]["type"] = 3; }, BpeTokenizerErrorKind::missingField,
         "Missing required field: model.type"},
        {"WordPiece", [](auto& j) { j["model"]["type"] = "WordPiece"; j["model"].erase("vocab"); },
         BpeTokenizerErrorKind::unsupportedTokenizerType, "Unsupported tokenizer type: WordPiece. Only 'BPE' is supported."},
        {"vocab of strings", [](auto& j) { j["model"]["vocab"] = {{"a", "1"}}; }, BpeTokenizerErrorKind::missingField,
         "Missing required field: model.vocab"},
        {"merges as pairs", [](auto& j) { j["model"]["merges"] = {{"h", "e"}}; }, BpeTokenizerErrorKind::missingField,
         "Missing required field: model.merges"},
    };
    for (const auto& c : cases) {
        auto json = tinyTokenizer();
        c.damage(json);
        try {
            loadJson(json);
            ADD_FAILURE() << c.name;
        } catch (const BpeTokenizerError& error) {
            EXPECT_EQ(error.kind(), c.kind) << c.name;
            EXPECT_EQ(error.description(), c.description) << c.name;
        }
    }
}

TEST(BpeTokenizer, MissingFileAndBadSyntaxAreReported) {
    testsupport::TemporaryDirectory folder;
    try {
        BpeTokenizer::load(folder.path());
        FAIL();
    } catch (const BpeTokenizerError& error) {
        EXPECT_EQ(error.description(), "tokenizer.json not found at " + (folder / "tokenizer.json").string());
    }
    folder.write("tokenizer.json", "{\"model\": ");
    EXPECT_THROW(BpeTokenizer::load(folder.path()), nlohmann::json::parse_error);
}

TEST(BpeTokenizer, ReadsMergeRulesAtTheirFirstSpace) {
    auto json = tinyTokenizer();
    json["model"]["merges"] = {"nospace", "trailing ", "   lone", "a b c", "x  y", " p q"};
    const auto tokenizer = loadJson(json);
    const std::vector<std::pair<std::string, std::string>> expected = {{"a", "b c"}, {"x", " y"}, {"p", "q"}};
    EXPECT_EQ(tokenizer.merges(), expected);
}

TEST(BpeTokenizer, AddedTokensOfTheWrongShapeAreIgnored) {
    auto json = tinyTokenizer();
    json["added_tokens"] = {{"content", "x"}};
    EXPECT_TRUE(loadJson(json).addedTokens().empty());
    json["added_tokens"] = nlohmann::json::array({{{"content", 5}, {"id", 1}}, {{"content", "z"}, {"id", "1"}},
                                                   {{"content", "q"}, {"id", 7}}, {{"content", "q"}, {"id", 8}}});
    const auto tokenizer = loadJson(json);
    EXPECT_EQ(tokenizer.addedTokens().size(), 1u);
    EXPECT_EQ(tokenizer.addedTokens().at("q"), 8);
}

TEST(BpeTokenizer, EncodesLowerCasedCharactersWithSpacesAsMarks) {
    auto json = tinyTokenizer();
    json["model"]["merges"] = nlohmann::json::array();
    const auto tokenizer = loadJson(json);
    const std::vector<int> helloWorld = {letter('h'), letter('e'), letter('l'), letter('l'), letter('o'), 27,
                                         letter('w'), letter('o'), letter('r'), letter('l'), letter('d')};
    EXPECT_EQ(tokenizer.encode("Hello World", false, false), helloWorld);
    auto marked = helloWorld;
    marked.insert(marked.begin(), 27);
    EXPECT_EQ(tokenizer.encode("Hello World", true, true), marked);
    EXPECT_EQ(tokenizer.encode("", false, false), std::vector<int>{});
    EXPECT_EQ(tokenizer.encode("", false, true), std::vector<int>{27});
    // Compatibility composition folds the ligature and full-width letters.
    EXPECT_EQ(tokenizer.encode("\xEF\xAC\x81\xEF\xBC\xA1", false, false),
              (std::vector<int>{letter('f'), letter('i'), letter('a')}));
}

TEST(BpeTokenizer, MergesTheLowestRankedPairEverywhereLeftmostFirst) {
    const auto tokenizer = loadJson(tinyTokenizer());
    // h+e first (rank 0), l+l (rank 1, added-token id 41 wins over vocab 29), then mark+he (rank 2).
    EXPECT_EQ(tokenizer.encode("hello", false, true), (std::vector<int>{30, 41, letter('o')}));
    EXPECT_EQ(tokenizer.encode("hello", false, false), (std::vector<int>{28, 41, letter('o')}));
    EXPECT_EQ(tokenizer.encode("aaa", false, false), (std::vector<int>{31, letter('a')}));
    EXPECT_EQ(tokenizer.encode("aaaa", false, false), (std::vector<int>{31, 31}));
}

TEST(BpeTokenizer, UnknownCharactersTakeTheUnknownIdOrAreLeftOut) {
    const auto withUnknown = loadJson(tinyTokenizer());
    EXPECT_EQ(withUnknown.encode("a\xC3\xA9", false, false), (std::vector<int>{letter('a'), 0}));

    auto json = tinyTokenizer();
    json["model"]["vocab"].erase("<unk>");
    json["added_tokens"] = nlohmann::json::array({{{"content", "<unk>"}, {"id", 99}}});
    EXPECT_EQ(loadJson(json).encode("\xC3\xA9", false, false), std::vector<int>{99});

    // Without an unknown token the character has no id; it must not become
    // token 0, which is a real piece of this vocabulary.
    json["added_tokens"] = nlohmann::json::array();
    json["model"]["vocab"]["q"] = 0;
    EXPECT_EQ(loadJson(json).encode("a\xC3\xA9z", false, false), (std::vector<int>{letter('a'), letter('z')}));
}

} // namespace
