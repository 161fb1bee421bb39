#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/Rescorer/VocabularyTextUtilities.hpp"

#include <gtest/gtest.h>

#include <cmath>

using namespace razeziruzer;

namespace {

TEST(VocabularyTextUtilities, NormalizesForSimilarity) {
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"sentence", "Rock 'n's  \xC3\x89T\xC3\x89-Zeit!", "rock 'n's \xC3\xA9t\xC3\xA9-zeit"},
        {"hyphens between spaces", "  --  ", "--"},
        {"tab and line feed", "\t\n", ""},
        {"no-break space and full stop vanish", "O'Neil\xC2\xA0" "Inc.", "o'neilinc"},
        {"letters joined by a full stop", "a.b", "ab"},
        {"full stop then space", "a. b", "a b"},
        {"digits and marks kept", "R2-D2 e\xCC\x81", "r2-d2 e\xCC\x81"},
        {"carriage return dropped", "a\rb", "ab"},
    };
    for (const auto& c : cases) EXPECT_EQ(normalizeForSimilarity(c.text), c.expected) << c.name;
}

TEST(VocabularyTextUtilities, SimilarityIsOneMinusRelativeEditDistance) {
    EXPECT_EQ(stringSimilarity("", ""), 1.0f);
    EXPECT_EQ(stringSimilarity("abc", ""), 0.0f);
    EXPECT_EQ(stringSimilarity("Abcd", "abXY"), 0.5f);
    EXPECT_EQ(stringSimilarity("caf\xC3\xA9", "CAFE"), 0.75f);
    EXPECT_FLOAT_EQ(lengthFactor("abcd", "abcdefgh"), std::sqrt(0.5f));
}

TEST(VocabularyTextUtilities, NormalizedFormsDropRepeatsInOrder) {
    CustomVocabularyContext vocabulary;
    vocabulary.terms = {CustomVocabularyTerm("Ostrel Virorez", std::nullopt,
                                             std::vector<std::string>{"ostrel-virorez", "OSTREL VIROREZ"}),
                        CustomVocabularyTerm("ostrel virorez", std::nullopt, std::vector<std::string>{"ov"})};
    const auto forms = buildNormalizedForms(vocabulary.terms[0], vocabulary);
    const std::vector<NormalizedForm> expected = {{"ostrel virorez", 2}, {"ostrel-virorez", 1}, {"ov", 1}};
    EXPECT_EQ(forms, expected);
    const auto set = buildVocabularyNormalizedSet(vocabulary);
    EXPECT_EQ(set, (std::unordered_set<std::string>{"ostrel virorez", "ostrel-virorez", "ov"}));
}

TEST(VocabularyTextUtilities, PreservesALeadingCapitalOnly) {
    struct Case {
        const char* name;
        std::string original;
        std::string replacement;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"small original", "zovery", "zoviri", "zoviri"},
        {"capital original", "Zovery", "zoviri", "Zoviri"},
        {"rest unchanged", "Iphone", "iPhone", "IPhone"},
        {"capitals original", "ZOVERY", "Zoviri", "Zoviri"},
        {"empty original", "", "zoviri", "zoviri"},
        {"sharp s grows", "Strasse", "\xC3\x9F" "a", "SSa"},
    };
    for (const auto& c : cases) EXPECT_EQ(preserveCapitalization(c.original, c.replacement), c.expected) << c.name;
}

TEST(VocabularyTextUtilities, WordBoundaryPieces) {
    EXPECT_TRUE(isWordBoundary("\xE2\x96\x81" "abc"));
    EXPECT_TRUE(isWordBoundary(" abc"));
    EXPECT_FALSE(isWordBoundary("abc"));
    EXPECT_EQ(stripWordBoundaryPrefix("\xE2\x96\x81" "abc"), "abc");
    EXPECT_EQ(stripWordBoundaryPrefix(" abc"), "abc");
    EXPECT_EQ(stripWordBoundaryPrefix("abc"), "abc");
}

} // namespace
