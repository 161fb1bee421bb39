#include "Platform/Text/Whitespace.hpp"

#include <gtest/gtest.h>

namespace {

using namespace platform::text;

TEST(Whitespace, PropertyIncludesLineBreaksAndUnicodeSpaces)
{
    for (const char32_t scalar : {U' ', U'\t', U'\n', U'\v', U'\f', U'\r', U'\u0085', U'\u00a0', U'\u2003', U'\u2028',
                                  U'\u2029', U'\u3000'})
        EXPECT_TRUE(isWhitespace(scalar)) << static_cast<uint32_t>(scalar);
    for (const char32_t scalar : {U'a', U'\u200b', U'\u200d', U'\ufeff', U'_'})
        EXPECT_FALSE(isWhitespace(scalar)) << static_cast<uint32_t>(scalar);

    for (const char32_t scalar : {U' ', U'\t', U'\u00a0', U'\u2003', U'\u3000'})
        EXPECT_TRUE(isHorizontalWhitespace(scalar)) << static_cast<uint32_t>(scalar);
    for (const char32_t scalar : {U'\n', U'\r', U'\u2028', U'\u0085', U'\v'})
        EXPECT_FALSE(isHorizontalWhitespace(scalar)) << static_cast<uint32_t>(scalar);
}

TEST(Whitespace, TrimsBothEndsOnly)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", ""},
        {" \t\r\n", ""},
        {"\u00a0\u2028 hallo  welt\u3000\n", "hallo  welt"},
        {"a", "a"},
        {"\r\n\u00e4\r\n", "\u00e4"},
        {" \u200bx ", "\u200bx"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(trimWhitespaceAndNewlines(input), expected) << input;
}

TEST(Whitespace, HorizontalTrimKeepsLineBreaks)
{
    EXPECT_EQ(trimHorizontalWhitespace("\t \u00a0Dr.\n \t"), "Dr.\n");
    EXPECT_EQ(trimHorizontalWhitespace("\n x"), "\n x");
    EXPECT_EQ(trimHorizontalWhitespace(" \t "), "");
}

TEST(Whitespace, IllFormedBytesAreNotTrimmed)
{
    EXPECT_EQ(trimWhitespaceAndNewlines(" \xFF "), "\xFF");
}

TEST(Whitespace, SplitDropsEmptyPieces)
{
    EXPECT_EQ(splitOnWhitespace("  eins\tzwei\r\n\u2028drei\u00a0 "), (std::vector<std::string>{"eins", "zwei", "drei"}));
    EXPECT_EQ(splitOnWhitespace("one"), (std::vector<std::string>{"one"}));
    EXPECT_TRUE(splitOnWhitespace(" \n ").empty());
    EXPECT_TRUE(splitOnWhitespace("").empty());
}

} // namespace
