#include "RazeziRuzer/Shared/StringUtils.hpp"

#include <gtest/gtest.h>

#include <string>

namespace razeziruzer {
namespace {

TEST(StringUtilsTests, EditDistanceOfStrings) {
    struct Case {
        const char* a;
        const char* b;
        int distance;
    };
    const Case cases[] = {
        {"book", "back", 2},
        {"", "abc", 3},
        {"abc", "", 3},
        {"abc", "abc", 0},
        {"ab", "ba", 2},
        {"kitten", "sitting", 3},
        {"caf\u00E9", "cafe\u0301", 0},   // canonically equivalent characters
        {"cafe\u0301", "cafe", 1},        // e + combining accent is one character
        {"\U0001F44D\U0001F3FD", "x", 1}, // emoji with skin tone is one character
    };
    for (const auto& c : cases) EXPECT_EQ(StringUtils::levenshteinDistance(c.a, c.b), c.distance) << c.a << " / " << c.b;
}

TEST(StringUtilsTests, EditDistanceOfSequences) {
    EXPECT_EQ(StringUtils::levenshteinDistance(std::vector<int>{1, 2, 3}, std::vector<int>{1, 3}), 1);
    EXPECT_EQ(StringUtils::levenshteinDistance(std::vector<std::string>{"new", "york"},
                                               std::vector<std::string>{"new", "work", "city"}),
              2);
    EXPECT_EQ(StringUtils::levenshteinDistance(std::vector<int>{}, std::vector<int>{4, 5}), 2);
}

} // namespace
} // namespace razeziruzer
