#include "PelluxCore/FoundationExtensions.hpp"

#include "tests/Support/ScopedEnvironment.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace pelluxcore {
namespace {

using Strings = std::vector<std::string>;

TEST(Matching, ShellPatternsWithoutFlags) {
    const Strings files = {"a.json", "b.txt", "dir/c.json", ".hidden.json"};
    EXPECT_EQ(matching(files, "*.json"), (Strings{"a.json", "dir/c.json", ".hidden.json"}));
    EXPECT_EQ(matching(files, "A*"), Strings{});
    EXPECT_EQ(matching(files, "?.txt"), Strings{"b.txt"});
    EXPECT_EQ(matching({"*.json", "x.json"}, "\\*.json"), Strings{"*.json"});
}

TEST(Batched, SlicesWithRemainder) {
    const std::vector<int> seven = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(batched(seven, 3), (std::vector<std::vector<int>>{{1, 2, 3}, {4, 5, 6}, {7}}));
    EXPECT_TRUE(batched(std::vector<int>{}, 3).empty());
    EXPECT_EQ(batched(seven, 10).size(), 1u);
}

TEST(Batched, SizeBelowOneKeepsEveryElement) {
    const std::vector<int> three = {1, 2, 3};
    for (const int size : {0, -1, -100}) {
        EXPECT_EQ(batched(three, size), (std::vector<std::vector<int>>{{1}, {2}, {3}})) << size;
    }
}

TEST(OrderedSet, KeepsFirstOccurrences) {
    EXPECT_EQ(orderedSet(std::vector<int>{3, 1, 3, 2, 1}), (std::vector<int>{3, 1, 2}));
}

TEST(TrimmingFromEnd, RemovesUpToTheCount) {
    EXPECT_EQ(trimmingFromEnd("abc!!!", "!", 2), "abc!");
    EXPECT_EQ(trimmingFromEnd("abc", "!", 2), "abc");
    EXPECT_EQ(trimmingFromEnd("abc!!", "!", 0), "abc!!");
    EXPECT_EQ(trimmingFromEnd("abc!!", "!", -3), "abc!!");
    EXPECT_EQ(trimmingFromEnd("!!", "!", 5), "");
    // Whole characters compared by canonical equivalence.
    EXPECT_EQ(trimmingFromEnd("cafe\u0301\u00e9", "\u00e9", 5), "caf");
    EXPECT_EQ(trimmingFromEnd("e\u0301", "e", 1), "e\u0301");
}

TEST(LastNaturalBoundary, TriesSentenceThenClauseThenSpace) {
    const TokenEncoder words = [](const std::string& text) {
        std::vector<int> tokens;
        bool inWord = false;
        for (const char c : text) {
            if (c != ' ' && !inWord) tokens.push_back(0);
            inWord = c != ' ';
        }
        return tokens;
    };
    const std::string text = "Hello there. How are";
    EXPECT_EQ(lastNaturalBoundary(text, 2, words), "Hello there.");
    EXPECT_EQ(lastNaturalBoundary(text, 3, words), "Hello there. How");
    EXPECT_EQ(lastNaturalBoundary(text, 4, words), std::nullopt);
    EXPECT_EQ(lastNaturalBoundary("nobreakshere", 0, words), std::nullopt);
    // A sentence break too early for the minimum gives way to a later clause break.
    EXPECT_EQ(lastNaturalBoundary("a. b c, d", 3, words), "a. b c,");
    EXPECT_EQ(lastNaturalBoundary("line one\nline", 2, words), "line one");
    EXPECT_EQ(lastNaturalBoundary("  one two \u2013 three", 2, words), "one two \u2013");
}

TEST(Rounded, DecimalPlacesHalvesAwayFromZero) {
    EXPECT_FLOAT_EQ(rounded(2.345f, 2), 2.35f);
    EXPECT_FLOAT_EQ(rounded(-2.5f, 0), -3.0f);
    EXPECT_FLOAT_EQ(rounded(1.23456f, 3), 1.235f);
}

TEST(ResolveAbsolutePath, TildeAbsoluteAndRelative) {
    testsupport::ScopedEnvironment environment;
    environment.set("HOME", "/home/tester");
    EXPECT_EQ(resolveAbsolutePath("~/x"), "/home/tester/x");
    EXPECT_EQ(resolveAbsolutePath("~"), "/home/tester");
    EXPECT_EQ(resolveAbsolutePath("/abs/p"), "/abs/p");
    EXPECT_EQ(resolveAbsolutePath("rel/y"), (std::filesystem::current_path() / "rel/y").string());
    EXPECT_EQ(resolveAbsolutePath("~nosuchuser-xyz/a"), (std::filesystem::current_path() / "~nosuchuser-xyz/a").string());
}

} // namespace
} // namespace pelluxcore
