#include "RazeziRuzer/ASR/Parakeet/TokenDeduplication/SequenceMatcher.hpp"

#include <gtest/gtest.h>

#include <span>
#include <string_view>

namespace razeziruzer {
namespace {

std::vector<SequenceMatch> lcs(std::string_view left, std::string_view right) {
    return SequenceMatcher::findLongestCommonSubsequence(std::span<const char>(left), std::span<const char>(right),
                                                         [](char a, char b) { return a == b; });
}

TEST(SequenceMatcherTest, LongestCommonSubsequenceInAscendingOrder) {
    EXPECT_EQ(lcs("axbyc", "abzc"), (std::vector<SequenceMatch>{{0, 0, 1}, {2, 1, 1}, {4, 3, 1}}));
    // Of two equally long answers the walk back from the ends keeps the one
    // reaching further into the left sequence.
    EXPECT_EQ(lcs("ab", "ba"), (std::vector<SequenceMatch>{{1, 0, 1}}));
    EXPECT_TRUE(lcs("abc", "xyz").empty());
    EXPECT_TRUE(lcs("", "abc").empty());
}

TEST(SequenceMatcherTest, PredicateDecidesWhatMatches) {
    const int left[] = {10, 20, 30};
    const int right[] = {21, 31, 99};
    const auto close = [](int a, int b) { return a / 10 == b / 10; };
    EXPECT_EQ(SequenceMatcher::findLongestCommonSubsequence(std::span<const int>(left), std::span<const int>(right),
                                                            close),
              (std::vector<SequenceMatch>{{1, 0, 1}, {2, 1, 1}}));
}

} // namespace
} // namespace razeziruzer
