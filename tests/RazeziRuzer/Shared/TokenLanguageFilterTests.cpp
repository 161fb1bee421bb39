#include "RazeziRuzer/Shared/Language.hpp"
#include "RazeziRuzer/Shared/TokenLanguageFilter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace razeziruzer {
namespace {

TEST(LanguageTests, CodesAndScripts) {
    EXPECT_EQ(allCases<Language>().size(), 28u);
    EXPECT_EQ(fromRawValue<Language>("sr"), Language::serbian);
    EXPECT_EQ(script(Language::serbian), Script::cyrillic);
    EXPECT_EQ(script(Language::greek), Script::greek);
    EXPECT_EQ(script(Language::maltese), Script::latin);
    EXPECT_EQ(rawValue(Language::greek), "el");
    for (const auto* unknown : {"EN", "en-US", "", "eng"}) EXPECT_FALSE(fromRawValue<Language>(unknown)) << unknown;
    for (const auto language : allCases<Language>()) EXPECT_EQ(fromRawValue<Language>(rawValue(language)), language);
}

TEST(ScriptTests, EveryScalarMustLieInTheScriptsRanges) {
    struct Case {
        const char* text;
        bool latin, cyrillic, greek;
    };
    const Case cases[] = {
        {"caf\u00E9", true, false, false},
        {"\u00F1", true, false, false},
        {"\u1E9E", true, false, false},
        {"\u03A9", false, false, true},
        {"\u0436", false, true, false},
        {"\u043F\u0440\u0438\u0432\u0435\u0442", false, true, false},
        {"123", true, true, true},
        {",", true, true, true},
        {"?", true, true, true},
        {"a", true, false, false},
        {"x", true, false, false},
        {"\u03BB\u03CC\u03B3\u03BF\u03C2", false, false, true},
        {"\u1F00", false, false, true},
        {"\t", false, false, false},
        {"\u0085", false, false, false},
        {"\xFF", false, false, false},
        {"", true, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isWrittenIn(c.text, Script::latin), c.latin) << c.text;
        EXPECT_EQ(isWrittenIn(c.text, Script::cyrillic), c.cyrillic) << c.text;
        EXPECT_EQ(isWrittenIn(c.text, Script::greek), c.greek) << c.text;
    }
}

TEST(ScriptTests, WordStartMarkersAreIgnored) {
    for (const auto script : allCases<Script>()) EXPECT_TRUE(TokenLanguageFilter::tokenIsWrittenIn("\u2581\u2581", script));
    EXPECT_TRUE(TokenLanguageFilter::tokenIsWrittenIn("\u2581\u0434\u0430", Script::cyrillic));
    EXPECT_FALSE(TokenLanguageFilter::tokenIsWrittenIn("\u2581da", Script::cyrillic));
}

const std::unordered_map<int, std::string> vocabulary{
    {5, "\u2581hello"}, {9, "\u2581\u043F\u0440\u0438"}, {7, "\u0432\u0435\u0442"}, {3, "\u2581"}};

TEST(TokenLanguageFilterTests, FirstOfTheEqualBestPassingCandidatesWins) {
    const auto picked = TokenLanguageFilter::filterTopK({5, 9, 7}, {2.0f, 3.0f, 3.0f}, vocabulary, Script::cyrillic);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->tokenId, 9);
    const float expected = 1.0f / (std::exp(-1.0f) + 1.0f + 1.0f);
    EXPECT_FLOAT_EQ(picked->probability, expected);
}

TEST(TokenLanguageFilterTests, NothingWithoutAPassingCandidate) {
    EXPECT_FALSE(TokenLanguageFilter::filterTopK({}, {}, vocabulary, Script::latin));
    EXPECT_FALSE(TokenLanguageFilter::filterTopK({40, 41}, {1.0f, 2.0f}, vocabulary, Script::latin));
    EXPECT_FALSE(TokenLanguageFilter::filterTopK({5}, {1.0f}, vocabulary, Script::greek));
}

TEST(TokenLanguageFilterTests, OnlyTheShorterLengthCounts) {
    // Candidate 9 has no logit, so only 5 is considered.
    const auto picked = TokenLanguageFilter::filterTopK({5, 9}, {1.0f}, vocabulary, Script::cyrillic);
    EXPECT_FALSE(picked);
    const auto latin = TokenLanguageFilter::filterTopK({5, 9}, {1.0f}, vocabulary, Script::latin);
    ASSERT_TRUE(latin);
    EXPECT_EQ(latin->tokenId, 5);
    EXPECT_FLOAT_EQ(latin->probability, 1.0f);
}

TEST(TokenLanguageFilterTests, InfiniteLogitGivesProbabilityZero) {
    const float infinity = std::numeric_limits<float>::infinity();
    const auto picked = TokenLanguageFilter::filterTopK({5, 9}, {infinity, 1.0f}, vocabulary, Script::cyrillic);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->tokenId, 9);
    EXPECT_EQ(picked->probability, 0.0f);
}

} // namespace
} // namespace razeziruzer
