#include "Platform/Text/UnicodeProperties.hpp"

#include <gtest/gtest.h>

namespace {

using namespace platform::text;

struct PropertyRow {
    char32_t scalar;
    bool letter, upper, lower, digit, number, punctuation, symbol;
};

TEST(UnicodeProperties, GeneralCategoriesAndNumericType)
{
    const std::vector<PropertyRow> rows{
        // scalar      letter upper  lower  digit  number punct  symbol
        {U'a',         true,  false, true,  false, false, false, false},
        {U'\u00c4',    true,  true,  false, false, false, false, false},
        {U'\u00df',    true,  false, true,  false, false, false, false},
        {U'\u05d0',    true,  false, false, false, false, false, false}, // Hebrew alef: Lo
        {U'7',         false, false, false, true,  true,  false, false},
        {U'\u0663',    false, false, false, true,  true,  false, false}, // Arabic-Indic three
        {U'\u00bd',    false, false, false, false, true,  false, false}, // one half: No
        {U'\u216b',    false, false, false, false, true,  false, false}, // Roman twelve: Nl
        {U'.',         false, false, false, false, false, true,  false},
        {U'\u201e',    false, false, false, false, false, true,  false},
        {U'\u2014',    false, false, false, false, false, true,  false},
        {U'%',         false, false, false, false, false, true,  false},
        {U'+',         false, false, false, false, false, false, true},
        {U'\u20ac',    false, false, false, false, false, false, true},
        {U'\U0001F600', false, false, false, false, false, false, true},
        {U'\u0301',    false, false, false, false, false, false, false},
        {U' ',         false, false, false, false, false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<uint32_t>(row.scalar));
        EXPECT_EQ(isLetter(row.scalar), row.letter);
        EXPECT_EQ(isUppercaseLetter(row.scalar), row.upper);
        EXPECT_EQ(isLowercaseLetter(row.scalar), row.lower);
        EXPECT_EQ(isDigit(row.scalar), row.digit);
        EXPECT_EQ(isNumber(row.scalar), row.number);
        EXPECT_EQ(isPunctuation(row.scalar), row.punctuation);
        EXPECT_EQ(isSymbol(row.scalar), row.symbol);
    }
}

TEST(UnicodeProperties, CharactersAreJudgedByTheirFirstScalar)
{
    EXPECT_TRUE(characterIs("e\u0301", isLetter));
    EXPECT_FALSE(characterIs("", isLetter));
    EXPECT_TRUE(firstCharacterIs("\u00c4pfel", isUppercaseLetter));
    EXPECT_FALSE(firstCharacterIs("3 \u00e4pfel", isLetter));
    EXPECT_TRUE(lastCharacterIs("Cafe\u0301", isLetter));
    EXPECT_TRUE(lastCharacterIs("Version 2", isNumber));
    EXPECT_FALSE(lastCharacterIs("", isNumber));
    EXPECT_EQ(firstScalar("\U0001F600x"), U'\U0001F600');
    EXPECT_EQ(firstScalar("\xFFx"), U'\uFFFD');
    EXPECT_EQ(firstScalar(""), std::nullopt);
}

} // namespace
