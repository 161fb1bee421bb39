#include "Platform/Text/StringSearch.hpp"

#include <gtest/gtest.h>

namespace {

using namespace platform::text;

constexpr SearchOptions exact{};
constexpr SearchOptions anyCase{.caseInsensitive = true};
constexpr SearchOptions anyDiacritic{.diacriticInsensitive = true};
constexpr SearchOptions anyCaseOrDiacritic{.caseInsensitive = true, .diacriticInsensitive = true};

struct SearchCase {
    const char* name;
    std::string haystack;
    std::string needle;
    SearchOptions options;
    std::vector<std::string> matched; // the haystack bytes of every match, in order
};

std::vector<std::string> matchedTexts(const std::string& haystack, const std::vector<ByteRange>& ranges)
{
    std::vector<std::string> texts;
    for (const auto& range : ranges)
        texts.emplace_back(range.of(haystack));
    return texts;
}

TEST(StringSearch, MatchesMapBackToTheOriginalBytes)
{
    const std::vector<SearchCase> cases{
        {"plain", "the cat sat", "at", exact, {"at", "at"}},
        {"precomposed needle, decomposed haystack", "caf e\u0301 cafe\u0301", "caf\u00e9", exact, {"cafe\u0301"}},
        {"decomposed needle, precomposed haystack", "\u00fcber \u00dcber", "u\u0308ber", exact, {"\u00fcber"}},
        {"angstrom sign equals A ring", "\u212b und \u00c5", "A\u030a", exact, {"\u212b", "\u00c5"}},
        {"mark order", "q\u0307\u0323!", "q\u0323\u0307", exact, {"q\u0307\u0323"}},
        {"case counts by default", "Komma komma KOMMA", "komma", exact, {"komma"}},
        {"case ignored", "Komma komma KOMMA", "komma", anyCase, {"Komma", "komma", "KOMMA"}},
        {"case ignored, decomposed", "A\u0308rger", "\u00e4rger", anyCase, {"A\u0308rger"}},
        {"diacritics count by default", "resume r\u00e9sum\u00e9", "resume", anyCase, {"resume"}},
        {"diacritics ignored, case kept", "R\u00e9sum\u00e9 re\u0301sume\u0301", "resume", anyDiacritic, {"re\u0301sume\u0301"}},
        {"both ignored", "R\u00e9sum\u00e9 RESUME", "resume", anyCaseOrDiacritic, {"R\u00e9sum\u00e9", "RESUME"}},
        {"multi-byte text before", "\U0001F600\u00e4\u00f6 \u65e5\u672c cat", "cat", exact, {"cat"}},
        {"needle with emoji", "a \U0001F44D\U0001F3FD b \U0001F44D", "\U0001F44D", exact, {"\U0001F44D"}},
        {"no partial character", "cafe\u0301", "cafe", exact, {}},
        {"no partial emoji", "\U0001F44D\U0001F3FD", "\U0001F44D", anyCaseOrDiacritic, {}},
        {"no partial flag", "\U0001F1E9\U0001F1EA\U0001F1EA\U0001F1F8", "\U0001F1EA\U0001F1EA", exact, {}},
        {"no match", "abc", "x", exact, {}},
        {"non-overlapping", "aaaa", "aa", exact, {"aa", "aa"}},
        {"empty needle", "abc", "", exact, {}},
        {"empty haystack", "", "a", exact, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(matchedTexts(c.haystack, findAll(c.haystack, c.needle, c.options)), c.matched) << c.name;
}

TEST(StringSearch, RangesAreExactByteOffsets)
{
    const std::string haystack = "\u00c4 e\u0301t\u00e9 \u00e9t\u00e9";
    EXPECT_EQ(findAll(haystack, "\u00e9t\u00e9"), (std::vector<ByteRange>{{3, 9}, {10, 15}}));
    EXPECT_EQ(findFirst(haystack, "e\u0301te\u0301"), (ByteRange{3, 9}));
}

TEST(StringSearch, SearchStartsAtTheGivenOffset)
{
    const std::string haystack = "banana ana";
    StringSearch search(haystack, "ana");
    EXPECT_EQ(search.find(0), (ByteRange{1, 4}));
    EXPECT_EQ(search.find(2), (ByteRange{3, 6})); // overlapping start is found from inside
    EXPECT_EQ(search.find(4), (ByteRange{7, 10}));
    EXPECT_EQ(search.find(8), std::nullopt);
    EXPECT_EQ(search.find(99), std::nullopt);
    EXPECT_EQ(findFirst(haystack, "ANA", anyCase, 7), (ByteRange{7, 10}));
}

TEST(StringSearch, IgnorableOnlyNeedleFindsNothing)
{
    EXPECT_FALSE(contains("abc", "\u0001"));
    EXPECT_TRUE(contains("ABC", "b", anyCase));
}

} // namespace
