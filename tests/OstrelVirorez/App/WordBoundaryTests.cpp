#include "OstrelVirorez/App/WordBoundary.hpp"

#include <gtest/gtest.h>

namespace {

using ostrelvirorez::WordBoundary;

struct ReplaceCase {
    const char* name;
    std::string text;
    std::string phrase;
    std::string replacement;
    bool caseSensitive;
    std::string expected;
};

class WordBoundaryReplace : public testing::TestWithParam<ReplaceCase> {};

TEST_P(WordBoundaryReplace, ReplacesOnlyWholeWords) {
    const auto& c = GetParam();
    EXPECT_EQ(WordBoundary::replace(c.text, c.phrase, c.replacement, c.caseSensitive), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WordBoundaryReplace,
    testing::Values(
        ReplaceCase{"InsideWordStays", "concatenate the cat", "cat", "dog", false, "concatenate the dog"},
        ReplaceCase{"RejectedStartsDoNotHideLaterOnes", "banana ana", "ana", "X", false, "banana X"},
        ReplaceCase{"OverlapAfterAcceptedIsSkipped", "a a a", "a a", "X", false, "X a"},
        ReplaceCase{"StartAndEnd", "cat and cat", "cat", "dog", false, "dog and dog"},
        ReplaceCase{"NextToLineBreaks", "x\ncat\r\ny", "cat", "dog", false, "x\ndog\r\ny"},
        ReplaceCase{"HyphenIsBoundary", "e-mail", "mail", "post", false, "e-post"},
        ReplaceCase{"StraightApostropheIsBoundary", "don't", "don", "do", false, "do't"},
        ReplaceCase{"TypographicApostropheIsNot", "don\u2019t", "don", "do", false, "don\u2019t"},
        ReplaceCase{"PercentIsNot", "per%cent", "cent", "X", false, "per%cent"},
        ReplaceCase{"QuotesAndBrackets", "\u201Ecat\u201C (cat) [cat] /cat/ \u2014cat", "cat", "X", false,
                    "\u201EX\u201C (X) [X] /X/ \u2014X"},
        ReplaceCase{"EnDashIsNot", "\u2013cat", "cat", "X", false, "\u2013cat"},
        ReplaceCase{"DigitsAreNot", "cat9 9cat", "cat", "X", false, "cat9 9cat"},
        ReplaceCase{"CaseInsensitive", "Komma KOMMA komma", "komma", ",", false, ", , ,"},
        ReplaceCase{"CaseSensitive", "Komma KOMMA komma", "komma", ",", true, "Komma KOMMA ,"},
        ReplaceCase{"ReplacementHoldingPhraseDoesNotLoop", "a b", "a", "aa", false, "aa b"},
        ReplaceCase{"DecomposedTextMatchesPrecomposedPhrase", "so a\u0308hm ja", "\u00E4hm", "", false, "so  ja"},
        ReplaceCase{"PrecomposedTextMatchesDecomposedPhrase", "so \u00C4hm ja", "a\u0308hm", "", false, "so  ja"},
        ReplaceCase{"CombiningMarkAfterMatchIsPartOfTheWord", "cafe\u0301 cafe", "cafe", "X", false,
                    "cafe\u0301 X"},
        ReplaceCase{"NonAsciiAroundKeepsBytes", "\u00FCber cat \u00FCber", "cat", "dog", false,
                    "\u00FCber dog \u00FCber"},
        ReplaceCase{"EmptyPhrase", "text", "", "X", false, "text"}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

TEST(WordBoundary, FunctionFormIsCalledOncePerAcceptedOccurrenceInTextOrder) {
    int calls = 0;
    const auto result = WordBoundary::replace("cat concat cat", "cat", false, [&] {
        return std::to_string(++calls);
    });
    EXPECT_EQ(result, "1 concat 2");
    EXPECT_EQ(calls, 2);

    calls = 0;
    EXPECT_EQ(WordBoundary::replace("concat cats", "cat", false, [&] { return std::to_string(++calls); }),
              "concat cats");
    EXPECT_EQ(WordBoundary::replace("text", "", false, [&] { return std::to_string(++calls); }), "text");
    EXPECT_EQ(calls, 0);
}

TEST(WordBoundary, BoundaryCharacters) {
    EXPECT_EQ(WordBoundary::punctuation().size(), 20u);
    for (const char* boundary : {" ", "\t", "\n", "\r\n", "\u00A0", "\u2028", "\u2029", "\u0085", ",", "\"", "-"})
        EXPECT_TRUE(WordBoundary::isBoundary(std::string(boundary))) << boundary;
    EXPECT_TRUE(WordBoundary::isBoundary(std::nullopt));
    for (const char* word : {"a", "9", "%", "@", "#", "*", "&", "_", "+", "=", "~", "\u2018", "\u2019", "\u2013"})
        EXPECT_FALSE(WordBoundary::isBoundary(std::string(word))) << word;
}

} // namespace
