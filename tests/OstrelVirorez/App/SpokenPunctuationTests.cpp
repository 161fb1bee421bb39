#include "OstrelVirorez/App/SpokenPunctuation.hpp"

#include <gtest/gtest.h>

namespace {

using ostrelvirorez::SpokenPunctuation;
using Language = SpokenPunctuation::Language;

struct PunctuationCase {
    const char* name;
    std::string text;
    std::vector<Language> languages;
    std::string expected;
};

class SpokenPunctuationApply : public testing::TestWithParam<PunctuationCase> {};

TEST_P(SpokenPunctuationApply, ReplacesCommandsAndJoinsMarks) {
    const auto& c = GetParam();
    EXPECT_EQ(SpokenPunctuation::apply(c.text, c.languages), c.expected);
}

const std::vector<Language> de{Language::german};
const std::vector<Language> en{Language::english};

INSTANTIATE_TEST_SUITE_P(
    Cases, SpokenPunctuationApply,
    testing::Values(
        PunctuationCase{"CommaAndQuestion", "Hallo Komma wie geht es Fragezeichen", de, "Hallo, wie geht es?"},
        PunctuationCase{"NewLine", "Hallo neue Zeile Welt", de, "Hallo\nWelt"},
        PunctuationCase{"NewParagraph", "Ende Punkt neuer Absatz Anfang", de, "Ende.\n\nAnfang"},
        PunctuationCase{"GermanQuotes", "Er sagte Anf\u00FChrungszeichen auf hallo Anf\u00FChrungszeichen zu", de,
                        "Er sagte \u201Ehallo\u201C"},
        PunctuationCase{"Brackets", "Text Klammer auf Inhalt Klammer zu weiter", de, "Text (Inhalt) weiter"},
        PunctuationCase{"LongerBracketPhraseFirst", "a \u00F6ffnende eckige Klammer b", de, "a [b"},
        PunctuationCase{"AtSign", "name at sign example", en, "name@example"},
        PunctuationCase{"Percent", "10 Prozent", de, "10%"},
        PunctuationCase{"StraightQuotesJoinTheWordBefore", "he said open quote hello close quote", en,
                        "he said\" hello\""},
        PunctuationCase{"HyphenKeepsSpaces", "well hyphen known", en, "well - known"},
        PunctuationCase{"DashRunsNotCollapsed", "a Gedankenstrich b", de, "a  \u2014  b"},
        PunctuationCase{"AnyCase", "a KOMMA b komma c", de, "a, b, c"},
        PunctuationCase{"NotInsideWords", "Kommando", de, "Kommando"},
        PunctuationCase{"OrdinaryWordIsReplacedToo", "der Punkt ist", de, "der. ist"},
        PunctuationCase{"OnlyOneSpaceBeforeMarkDropped", "a  Komma", de, "a ,"},
        PunctuationCase{"EnglishNotAppliedForGerman", "a comma b", de, "a comma b"},
        PunctuationCase{"EmDashBeforeEnDash", "x em dash y en dash z", en, "x  \u2014  y  \u2013  z"},
        PunctuationCase{"EmptyListOnlyCleans", "a , b ( c\t\n d", {}, "a, b (c\nd"},
        PunctuationCase{"CrLfIsOneLineBreak", "a \r\n b", {}, "a\r\nb"},
        PunctuationCase{"EmptyText", "", de, ""}),
    [](const testing::TestParamInfo<PunctuationCase>& info) { return std::string(info.param.name); });

TEST(SpokenPunctuation, TablesAndLanguages) {
    EXPECT_EQ(SpokenPunctuation::germanRules().size(), 32u);
    EXPECT_EQ(SpokenPunctuation::englishRules().size(), 35u);
    using List = std::vector<Language>;
    EXPECT_EQ(SpokenPunctuation::resolveLanguages("en", "de"), (List{Language::english}));
    EXPECT_EQ(SpokenPunctuation::resolveLanguages(std::nullopt, "en"), (List{Language::english, Language::german}));
    EXPECT_EQ(SpokenPunctuation::resolveLanguages("de-DE", "fr"), (List{Language::german, Language::english}));
    EXPECT_EQ(ostrelvirorez::fromRawValue<Language>("de"), Language::german);
    EXPECT_FALSE(ostrelvirorez::fromRawValue<Language>("fr").has_value());
}

} // namespace
