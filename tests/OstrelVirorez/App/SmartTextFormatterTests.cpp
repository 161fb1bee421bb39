#include "OstrelVirorez/App/SmartTextFormatter.hpp"

#include <gtest/gtest.h>

namespace {

using ostrelvirorez::SmartTextFormatter;

struct CapitalizeCase {
    const char* name;
    std::string text;
    std::string expected;
};

class SmartTextFormatterCapitalize : public testing::TestWithParam<CapitalizeCase> {};

TEST_P(SmartTextFormatterCapitalize, UpperCasesSentenceStarts) {
    EXPECT_EQ(SmartTextFormatter::capitalize(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SmartTextFormatterCapitalize,
    testing::Values(
        CapitalizeCase{"Sentences", "hallo welt. wie geht es? gut!", "Hallo welt. Wie geht es? Gut!"},
        CapitalizeCase{"DotInsideNumber", "version 2.5 ist da", "Version 2.5 ist da"},
        CapitalizeCase{"Abbreviation", "z.B. das", "Z.B. Das"},
        CapitalizeCase{"FlagSurvivesDigits", "3 \u00E4pfel", "3 \u00C4pfel"},
        CapitalizeCase{"ColonAndClosingQuote", "er sagte: \u201Eja.\u201C dann", "Er sagte: \u201Eja.\u201C Dann"},
        CapitalizeCase{"LineFeed", "eins\nzwei", "Eins\nZwei"},
        CapitalizeCase{"CrLfDoesNot", "eins\r\nzwei", "Eins\r\nzwei"},
        CapitalizeCase{"SharpSGrowsLonger", "\u00DF ist", "SS ist"},
        CapitalizeCase{"DecomposedLetter", "a\u0308rger", "A\u0308rger"},
        CapitalizeCase{"NothingLowerCased", "ABC. dEF", "ABC. DEF"},
        CapitalizeCase{"Empty", "", ""}),
    [](const testing::TestParamInfo<CapitalizeCase>& info) { return std::string(info.param.name); });

// `count` sentences of about 43 characters each, every one ending ". ".
std::string sentences(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "Satz " + std::to_string(i) + " hat genug Worte um lang zu sein hier. ";
    return text;
}

TEST(SmartTextFormatter, ParagraphsOfThreeSentences) {
    const auto text = sentences(7);
    ASSERT_GE(text.size(), 280u);
    const auto result = SmartTextFormatter::paragraph(text, 280, 3);
    const auto s = [](int i) { return "Satz " + std::to_string(i) + " hat genug Worte um lang zu sein hier."; };
    EXPECT_EQ(result, s(0) + " " + s(1) + " " + s(2) + "\n\n" + s(3) + " " + s(4) + " " + s(5) + "\n\n" + s(6));
}

TEST(SmartTextFormatter, ParagraphLeavesTextAlone) {
    // Four sentences, trimmed length 279 or 280 characters (the umlauts are one character each).
    const auto ofLength = [](std::size_t length) {
        std::string text = "a. b. c. ";
        while (text.size() + 1 < length) text += "\u00E4";
        return text + ".";
    };
    const auto text279 = "  " + ofLength(279 + 269) + "\n ";
    ASSERT_NE(SmartTextFormatter::paragraph(text279, 279, 3), text279);
    EXPECT_EQ(SmartTextFormatter::paragraph(text279, 280, 3), text279);

    const auto withBlankLine = "  " + sentences(7) + "\n\nEnde. ";
    EXPECT_EQ(SmartTextFormatter::paragraph(withBlankLine, 280, 3), withBlankLine);
    const auto threeSentences = " " + std::string(300, 'a') + ". b. c. ";
    EXPECT_EQ(SmartTextFormatter::paragraph(threeSentences, 280, 3), threeSentences);
}

TEST(SmartTextFormatter, ParagraphCountsEveryMarkAsASentenceEnd) {
    // "2." and "5 ist da." are two sentences; "Hm..." three.
    EXPECT_EQ(SmartTextFormatter::paragraph("Version 2.5 ist da. Hm... ja.", 1, 1),
              "Version 2.\n\n5 ist da.\n\nHm.\n\n.\n\n.\n\nja.");
    EXPECT_EQ(SmartTextFormatter::paragraph("Hm... ja.", 1, 4), "Hm... ja.");
    EXPECT_EQ(SmartTextFormatter::paragraph("Hm... ja.", 1, 3), "Hm...\n\nja.");
}

TEST(SmartTextFormatter, ParagraphKeepsSingleLineBreaksAndTrailingText) {
    EXPECT_EQ(SmartTextFormatter::paragraph("a.\nb. c. d ohne Punkt ", 1, 2), "a.\nb.\n\nc. d ohne Punkt");
    // An unfinished last sentence stays apart from the one before it.
    EXPECT_EQ(SmartTextFormatter::paragraph("Eins. Zwei. Drei. Vier. f\u00FCnf ohne Punkt", 1, 3),
              "Eins. Zwei. Drei.\n\nVier. f\u00FCnf ohne Punkt");
    EXPECT_EQ(SmartTextFormatter::paragraph("Eins. Zwei. Drei. vier ohne Punkt  ", 1, 3),
              "Eins. Zwei. Drei.\n\nvier ohne Punkt");
}

} // namespace
