#include "Platform/Text/CaseMapping.hpp"

#include <gtest/gtest.h>

namespace {

using namespace platform::text;

TEST(CaseMapping, FullMappingWithoutLocaleTailoring)
{
    struct Row {
        std::string input, upper, lower;
    };
    const std::vector<Row> rows{
        {"stra\u00dfe", "STRASSE", "stra\u00dfe"},
        {"\ufb01le", "FILE", "\ufb01le"},               // fi ligature expands
        {"Istanbul", "ISTANBUL", "istanbul"},           // no Turkish dotless i
        {"\u0131\u0130", "I\u0130", "\u0131i\u0307"},   // dotless i; dotted capital I lowers to i + dot above
        {"\u039f\u0394\u039f\u03a3", "\u039f\u0394\u039f\u03a3", "\u03bf\u03b4\u03bf\u03c2"}, // final sigma
        {"\u00c4rger \u00fcber", "\u00c4RGER \u00dcBER", "\u00e4rger \u00fcber"},
        {"", "", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(uppercased(row.input), row.upper) << row.input;
        EXPECT_EQ(lowercased(row.input), row.lower) << row.input;
    }
}

TEST(CaseMapping, CapitalizeFirstTouchesOnlyTheFirstCharacter)
{
    EXPECT_EQ(capitalizeFirst("\u00e4pfel und birnen"), "\u00c4pfel und birnen");
    EXPECT_EQ(capitalizeFirst("\u00dfe"), "SSe");
    EXPECT_EQ(capitalizeFirst("e\u0301cole"), "E\u0301cole");
    EXPECT_EQ(capitalizeFirst("3 x"), "3 x");
    EXPECT_EQ(capitalizeFirst("aBC"), "ABC");
    EXPECT_EQ(capitalizeFirst(""), "");
}

TEST(CaseMapping, CaseInsensitiveEqualityFoldsFullyAndCanonically)
{
    EXPECT_TRUE(equalsIgnoringCase("KOMMA", "komma"));
    EXPECT_TRUE(equalsIgnoringCase("STRASSE", "stra\u00dfe"));
    EXPECT_TRUE(equalsIgnoringCase("\u00c9t\u00e9", "e\u0301te\u0301"));
    EXPECT_FALSE(equalsIgnoringCase("\u00e9", "e"));
    EXPECT_FALSE(equalsIgnoringCase("abc", "abcd"));
}

TEST(CaseMapping, CaseInsensitiveOrdering)
{
    EXPECT_EQ(compareIgnoringCase("Apfel", "apfel"), 0);
    EXPECT_LT(compareIgnoringCase("apfel", "BIRNE"), 0);
    EXPECT_GT(compareIgnoringCase("Zebra", "apfel"), 0);

    EXPECT_EQ(localizedCompareIgnoringCase("Safari", "safari", "de_DE"), 0);
    EXPECT_LT(localizedCompareIgnoringCase("\u00c4pfel", "Birne", "de_DE"), 0); // code point order would say otherwise
    EXPECT_LT(localizedCompareIgnoringCase("apfel", "Zebra", "en_US"), 0);
    EXPECT_NE(localizedCompareIgnoringCase("\u00e4", "a", "de_DE"), 0);          // accents still count
}

} // namespace
