#include "Platform/Text/Normalization.hpp"

#include <gtest/gtest.h>

namespace {

using namespace platform::text;

TEST(Normalization, FourForms)
{
    struct Row {
        std::string input, nfc, nfd, nfkc, nfkd;
    };
    const std::vector<Row> rows{
        {"\u00e9", "\u00e9", "e\u0301", "\u00e9", "e\u0301"},
        {"e\u0301", "\u00e9", "e\u0301", "\u00e9", "e\u0301"},
        {"\u212b", "\u00c5", "A\u030a", "\u00c5", "A\u030a"},            // Angstrom sign
        {"\ufb01", "\ufb01", "\ufb01", "fi", "fi"},                       // ligature: compatibility only
        {"\u1e9b\u0323", "\u1e9b\u0323", "\u017f\u0323\u0307", "\u1e69", "s\u0323\u0307"},
        {"\u2460", "\u2460", "\u2460", "1", "1"},                        // circled one
        {"", "", "", "", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(normalize(row.input, NormalizationForm::nfc), row.nfc) << row.input;
        EXPECT_EQ(normalize(row.input, NormalizationForm::nfd), row.nfd) << row.input;
        EXPECT_EQ(normalize(row.input, NormalizationForm::nfkc), row.nfkc) << row.input;
        EXPECT_EQ(normalize(row.input, NormalizationForm::nfkd), row.nfkd) << row.input;
    }
    EXPECT_TRUE(isNormalized("\u00e9", NormalizationForm::nfc));
    EXPECT_FALSE(isNormalized("\u00e9", NormalizationForm::nfd));
}

TEST(Normalization, CanonicalEquivalence)
{
    EXPECT_TRUE(isCanonicallyEquivalent("a\u0308", "\u00e4"));
    EXPECT_TRUE(isCanonicallyEquivalent("q\u0307\u0323", "q\u0323\u0307")); // mark order
    EXPECT_FALSE(isCanonicallyEquivalent("\ufb01", "fi"));
    EXPECT_FALSE(isCanonicallyEquivalent("a", "A"));
}

TEST(Normalization, FoldDiacriticsKeepsBaseLetters)
{
    EXPECT_EQ(foldDiacritics("\u00c4rger \u00e0 la cre\u0300me"), "Arger a la creme");
    EXPECT_EQ(foldDiacritics("\u0141\u00f3d\u017a"), "\u0141odz"); // stroke is not a combining mark
    EXPECT_EQ(foldDiacritics("stra\u00dfe 1\u00bd"), "stra\u00dfe 1\u00bd");
    EXPECT_EQ(foldDiacritics(""), "");
}

TEST(Normalization, IllFormedUtf8BecomesReplacementCharacter)
{
    EXPECT_EQ(normalize("a\xFF" "b", NormalizationForm::nfc), "a\uFFFDb");
}

} // namespace
