#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyContext.hpp"

#include "Platform/Core/Error.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace razeziruzer;

namespace {

CustomVocabularyContext loadJson(const std::string& json) {
    testsupport::TemporaryDirectory folder;
    return CustomVocabularyContext::load(folder.write("vocabulary.json", json));
}

CustomVocabularyContext loadSimple(const std::string& text) {
    testsupport::TemporaryDirectory folder;
    return CustomVocabularyContext::loadFromSimpleFormat(folder.write("vocabulary.txt", text));
}

TEST(CustomVocabularyContext, JsonFileWithDefaultsForUnsetThresholds) {
    const auto onlyTerms = loadJson(R"({"terms": [{"text": "Ostrel"}], "minSimilarity": null})");
    EXPECT_EQ(onlyTerms.alpha, 0.5f);
    EXPECT_EQ(onlyTerms.minCtcScore, -12.0f);
    EXPECT_EQ(onlyTerms.minSimilarity, 0.52f);
    EXPECT_EQ(onlyTerms.minCombinedConfidence, 0.54f);
    EXPECT_EQ(onlyTerms.minTermLength, 3);

    const auto example = loadJson(R"({"minSimilarity": 0.6, "unknown": true, "terms": [
        {"text": "Razezi Ruzer", "aliases": ["razzy ruser", "rezezi"]},
        {"text": "Zoviri", "weight": 2.0, "ctcTokenIds": [4, 5], "tokenIds": [1]}]})");
    EXPECT_EQ(example.minSimilarity, 0.6f);
    EXPECT_EQ(example.alpha, 0.5f);
    ASSERT_EQ(example.terms.size(), 2u);
    EXPECT_EQ(example.terms[0].aliases(), (std::vector<std::string>{"razzy ruser", "rezezi"}));
    EXPECT_EQ(example.terms[0].textLowercased(), "razezi ruzer");
    EXPECT_EQ(example.terms[1].weight(), 2.0f);
    EXPECT_EQ(example.terms[1].searchTokenIds(), (std::vector<std::int64_t>{4, 5}));
    EXPECT_FALSE(example.terms[1].aliases());
}

TEST(CustomVocabularyContext, JsonFaultsFailTheWholeFile) {
    struct Case {
        const char* name;
        std::string json;
    };
    const std::vector<Case> cases = {
        {"no terms", R"({"alpha": 0.5})"},
        {"term without text", R"({"terms": [{"weight": 1}]})"},
        {"text of the wrong type", R"({"terms": [{"text": 3}]})"},
        {"threshold of the wrong type", R"({"terms": [], "minSimilarity": "high"})"},
        {"fractional term length", R"({"terms": [], "minTermLength": 2.5})"},
        {"aliases not strings", R"({"terms": [{"text": "abc", "aliases": [1]}]})"},
        {"not JSON", R"({"terms": [)"},
        {"top level array", R"([{"text": "abc"}])"},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(loadJson(c.json), nlohmann::json::exception) << c.name;
    }
    testsupport::TemporaryDirectory folder;
    EXPECT_THROW(CustomVocabularyContext::load(folder / "absent.json"), std::exception);
}

TEST(CustomVocabularyContext, JsonTermsAreSanitisedAndTheirWarningsLogged) {
    platform::ScopedLogCapture log;
    const auto context = loadJson(R"({"terms": [
        {"text": "Caf\u00e9"}, {"text": "GPT-4"}, {"text": "two\twords"}, {"text": "\n"},
        {"text": "Aliased", "aliases": ["", "  ", "\t"]}, {"text": "Tabbed", "aliases": ["\t"]}]})");
    EXPECT_TRUE(log.contains("Term 'Caf\xC3\xA9': contains diacritics - consider adding ASCII alias"));
    EXPECT_TRUE(log.contains("Term 'GPT-4': contains numbers, contains unusual characters"));
    EXPECT_TRUE(log.contains("Term 'two\twords': contains control characters"));
    EXPECT_TRUE(log.contains("Term '\n' is empty after sanitization, skipping"));
    ASSERT_EQ(context.terms.size(), 5u);
    EXPECT_EQ(context.terms[2].text(), "twowords");
    EXPECT_EQ(context.terms[3].aliases(), std::vector<std::string>{"  "});
    EXPECT_FALSE(context.terms[4].aliases());
}

TEST(CustomVocabularyContext, TermsWriteBackInTheirJsonForm) {
    const CustomVocabularyTerm term("Zoviri", 2.0f, std::vector<std::string>{"zovery"}, std::nullopt,
                                    std::vector<std::int64_t>{7});
    const auto json = term.toJson();
    EXPECT_EQ(json, nlohmann::json::parse(R"({"text": "Zoviri", "weight": 2.0, "aliases": ["zovery"], "ctcTokenIds": [7]})"));
    const auto back = CustomVocabularyTerm::fromJson(json);
    EXPECT_EQ(back.text(), "Zoviri");
    EXPECT_EQ(back.ctcTokenIds(), std::vector<std::int64_t>{7});
    EXPECT_FALSE(back.tokenIds());
}

TEST(CustomVocabularyContext, SimpleFormatReadsTermsAliasesAndComments) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::pair<std::string, std::vector<std::string>>> expected;
    };
    const std::vector<Case> cases = {
        {"example", "# comment\nRazezi Ruzer: razzy ruser, rezezi\nZoviri\nOstrel Virorez: ostrel\n",
         {{"Razezi Ruzer", {"razzy ruser", "rezezi"}}, {"Zoviri", {}}, {"Ostrel Virorez", {"ostrel"}}}},
        {"indented comment", "  # word\n", {}},
        {"hash inside a line", "word # word\n", {{"word # word", {}}}},
        {"empty alias pieces", "alpha:, beta ,,gamma\n", {{"alpha", {"beta", "gamma"}}}},
        {"leading colon skipped", ": alias\n", {}},
        {"trailing colon", "alpha:\n", {{"alpha", {}}}},
        {"second colon belongs to the alias", "one:two:three\n", {{"one", {"two:three"}}}},
        {"CRLF and other breaks", "alpha\r\nbeta\r\n\r\ngamma\xE2\x80\xA8" "delta\x0B" "eps\n",
         {{"alpha", {}}, {"beta", {}}, {"gamma", {}}, {"delta", {}}, {"eps", {}}}},
    };
    for (const auto& c : cases) {
        const auto context = loadSimple(c.text);
        ASSERT_EQ(context.terms.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const auto& term = context.terms[i];
            EXPECT_EQ(term.text(), c.expected[i].first) << c.name;
            EXPECT_EQ(term.aliases().value_or(std::vector<std::string>{}), c.expected[i].second) << c.name;
            EXPECT_EQ(term.weight(), 10.0f) << c.name;
            EXPECT_FALSE(term.ctcTokenIds()) << c.name;
        }
        EXPECT_EQ(context.minTermLength, 3) << c.name;
    }
}

TEST(CustomVocabularyContext, SimpleFormatRefusesUnreadableOrNonUtf8Files) {
    testsupport::TemporaryDirectory folder;
    EXPECT_THROW(CustomVocabularyContext::loadFromSimpleFormat(folder / "absent.txt"), platform::Error);
    EXPECT_THROW(loadSimple("good\nbad\xFF\n"), platform::Error);
}

} // namespace
