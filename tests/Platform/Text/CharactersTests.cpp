#include "Platform/Text/Characters.hpp"

#include <gtest/gtest.h>

namespace {

using namespace platform::text;

struct ClusterCase {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
};

TEST(Characters, SplitsIntoUserPerceivedCharacters)
{
    const std::vector<ClusterCase> cases{
        {"empty", "", {}},
        {"ascii", "ab", {"a", "b"}},
        {"CR LF is one", "a\r\nb", {"a", "\r\n", "b"}},
        {"LF CR is two", "\n\r", {"\n", "\r"}},
        {"combining marks", "e\u0301\u0323x", {"e\u0301\u0323", "x"}},
        {"precomposed", "\u00e4b", {"\u00e4", "b"}},
        {"emoji ZWJ family", "\U0001F468\u200D\U0001F469\u200D\U0001F467!", {"\U0001F468\u200D\U0001F469\u200D\U0001F467", "!"}},
        {"flag pair", "\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7", {"\U0001F1E9\U0001F1EA", "\U0001F1EB\U0001F1F7"}},
        {"skin tone", "\U0001F44D\U0001F3FD", {"\U0001F44D\U0001F3FD"}},
        {"hangul jamo", "\u1100\u1161\u11A8", {"\u1100\u1161\u11A8"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(characters(c.text), c.expected) << c.name;
        EXPECT_EQ(characterCount(c.text), c.expected.size()) << c.name;
    }
}

TEST(Characters, RangesAreByteOffsetsThatCoverTheText)
{
    const std::string text = "\u00e4\r\ne\u0301";
    EXPECT_EQ(characterRanges(text), (std::vector<ByteRange>{{0, 2}, {2, 4}, {4, 7}}));
}

TEST(Characters, PrefixSuffixAndSubstringCountCharacters)
{
    const std::string text = "e\u0301t\u00e9\r\n\U0001F44D\U0001F3FD";
    EXPECT_EQ(prefix(text, 0), "");
    EXPECT_EQ(prefix(text, 1), "e\u0301");
    EXPECT_EQ(prefix(text, 4), "e\u0301t\u00e9\r\n");
    EXPECT_EQ(prefix(text, 99), text);
    EXPECT_EQ(suffix(text, 0), "");
    EXPECT_EQ(suffix(text, 2), "\r\n\U0001F44D\U0001F3FD");
    EXPECT_EQ(suffix(text, 99), text);
    EXPECT_EQ(substring(text, 1, 2), "t\u00e9");
    EXPECT_EQ(substring(text, 4, 9), "\U0001F44D\U0001F3FD");
    EXPECT_EQ(substring(text, 9, 1), "");
    EXPECT_EQ(prefix("", 3), "");
}

TEST(Characters, NeighboursOfABoundaryAreWholeCharacters)
{
    const std::string text = "a\r\nb\u0308";
    EXPECT_EQ(characterBefore(text, 0), std::nullopt);
    EXPECT_EQ(characterBefore(text, 3), "\r\n");
    EXPECT_EQ(characterAfter(text, 3), "b\u0308");
    EXPECT_EQ(characterAfter(text, text.size()), std::nullopt);
    EXPECT_EQ(nextCharacterBoundary(text, 1), 3u);
    EXPECT_EQ(nextCharacterBoundary(text, 3), text.size());
    EXPECT_EQ(previousCharacterBoundary(text, text.size()), 3u);
    EXPECT_EQ(previousCharacterBoundary(text, 1), 0u);
    EXPECT_EQ(firstCharacter(text), "a");
    EXPECT_EQ(lastCharacter(text), "b\u0308");
    EXPECT_EQ(firstCharacter(""), std::nullopt);
    EXPECT_EQ(lastCharacter(""), std::nullopt);
}

TEST(Characters, IllFormedUtf8StillCoversEveryByte)
{
    const std::string text = "a\xC3(\xFF" "b";
    std::size_t covered = 0;
    for (const auto& range : characterRanges(text)) {
        EXPECT_EQ(range.begin, covered);
        covered = range.end;
    }
    EXPECT_EQ(covered, text.size());
}

} // namespace
