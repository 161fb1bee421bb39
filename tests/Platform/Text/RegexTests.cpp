#include "Platform/Text/Regex.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace {

using platform::Regex;
using platform::RegexError;
using platform::RegexGroup;
using platform::RegexOptions;
using platform::text::ByteRange;

TEST(Regex, GroupsAreByteRangesAndAbsentWhenUnmatched)
{
    const Regex regex(R"((\d+)(?:'|(")))");
    EXPECT_EQ(regex.groupCount(), 2u);
    const auto matches = regex.allMatches("\u00e4\u00f6 12' und 7\"");
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].range(), (ByteRange{5, 8}));
    EXPECT_EQ(matches[0].groups[1], (RegexGroup{{5, 7}, "12"}));
    EXPECT_EQ(matches[0].groups[2], std::nullopt);
    EXPECT_EQ(matches[1].text(), "7\"");
    EXPECT_EQ(matches[1].groups[2], (RegexGroup{{14, 15}, "\""}));
}

TEST(Regex, FirstMatchFromAnOffset)
{
    const Regex regex("a.");
    EXPECT_EQ(regex.firstMatch("xa\u00e9 ab")->text(), "a\u00e9");
    EXPECT_EQ(regex.firstMatch("xa\u00e9 ab", 2)->range(), (ByteRange{5, 7}));
    EXPECT_EQ(regex.firstMatch("xa\u00e9 ab", 6), std::nullopt);
    EXPECT_EQ(regex.firstMatch("ab", 99), std::nullopt);
}

TEST(Regex, OptionsAndIcuSyntax)
{
    const Regex tag(R"(<say-as\s+([^>]+)>([^<]*)</say-as>)", RegexOptions{.caseInsensitive = true});
    const auto match = tag.firstMatch("x <SAY-AS interpret-as='date'>1.2.</Say-As>");
    ASSERT_TRUE(match);
    EXPECT_EQ(match->groups[1]->text, "interpret-as='date'");
    EXPECT_EQ(match->groups[2]->text, "1.2.");

    EXPECT_EQ(Regex(R"(\s+)").replaceAll("a \u2028\u00a0\n b", " "), "a b"); // \s covers Unicode white space
    EXPECT_EQ(Regex("^b").allMatches("a\nb").size(), 0u);
    EXPECT_EQ(Regex("^b", {.anchorsMatchLines = true}).allMatches("a\nb").size(), 1u);
    EXPECT_FALSE(Regex("a.b").matches("a\nb"));
    EXPECT_TRUE(Regex("a.b", {.dotMatchesLineSeparators = true}).matches("a\nb"));
}

TEST(Regex, MatchesWholeTextOnly)
{
    const Regex regex(R"(\d+)");
    EXPECT_TRUE(regex.matches("2024"));
    EXPECT_FALSE(regex.matches("2024a"));
    EXPECT_FALSE(regex.matches(""));
}

TEST(Regex, ReplaceAllWithTemplate)
{
    EXPECT_EQ(Regex(" {2,}").replaceAll("a  b\t\t c    d", " "), "a b\t\t c d");
    EXPECT_EQ(Regex(R"((\w+)@(\w+))").replaceAll("\u00fcser@host", "$2 \\$ $1"), "host $ \u00fcser");
    EXPECT_EQ(Regex(R"(<\|[^|]*\|>)").replaceAll("<|de|>Hallo<|notimestamps|>", ""), "Hallo");
    EXPECT_EQ(Regex("x").replaceAll("abc", "y"), "abc");
    EXPECT_THROW(Regex("(a)").replaceAll("a", "$7"), RegexError);
}

TEST(Regex, ReplaceWithCallbackKeepsTheRestByteForByte)
{
    int calls = 0;
    const auto result = Regex(R"(\d+)").replace("a1 \xFF b22", [&](const platform::RegexMatch& match) {
        ++calls;
        return "<" + std::to_string(match.text().size()) + ">";
    });
    EXPECT_EQ(result, "a<1> \xFF b<2>");
    EXPECT_EQ(calls, 2);
}

TEST(Regex, BadPatternThrowsWithIcuReason)
{
    try {
        Regex("(unclosed");
        FAIL() << "expected RegexError";
    } catch (const RegexError& error) {
        EXPECT_NE(error.description().find("U_REGEX_MISMATCHED_PAREN"), std::string::npos) << error.description();
        EXPECT_NE(error.description().find("(unclosed"), std::string::npos) << error.description();
    }
    EXPECT_THROW(Regex("a{2,1}"), platform::Error);
    EXPECT_THROW(Regex("[z-a]"), platform::Error);
}

TEST(Regex, EmptyMatchesAdvance)
{
    const auto matches = Regex("x*").allMatches("a\u00e4");
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(matches[1].range(), (ByteRange{1, 1}));
    EXPECT_EQ(matches[2].range(), (ByteRange{3, 3}));
}

TEST(Regex, OneCompiledPatternServesSeveralThreads)
{
    const Regex regex(R"((\w+)=(\d+))");
    std::vector<std::size_t> counts(4);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < counts.size(); ++i)
            threads.emplace_back([&, i] {
                for (int round = 0; round < 200; ++round)
                    counts[i] += regex.allMatches("a=1 b=2 c=3").size();
            });
    }
    for (const auto count : counts)
        EXPECT_EQ(count, 600u);
}

} // namespace
