#pragma once
// Generic searches for elements two token sequences have in common, under an
// equality predicate the caller chooses (for instance "same id, close in time").

#include "RazeziRuzer/ASR/Parakeet/TokenDeduplication/SequenceMatch.hpp"

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

namespace razeziruzer {

struct SequenceMatcher {
    // The pairs of one longest common subsequence of left and right, each of
    // length 1, in ascending order. Of equally long subsequences, the walk back
    // from both ends (stepping back in right first on ties) picks the one.
    template <typename Element, typename Matcher>
    static std::vector<SequenceMatch> findLongestCommonSubsequence(std::span<const Element> left,
                                                                   std::span<const Element> right,
                                                                   Matcher matcher) {
        const std::size_t p = left.size();
        const std::size_t q = right.size();
        if (p == 0 || q == 0) return {};

        const std::size_t width = q + 1;
        std::vector<int> table((p + 1) * width, 0);
        const auto at = [&](std::size_t i, std::size_t j) -> int& { return table[i * width + j]; };
        for (std::size_t i = 1; i <= p; ++i) {
            for (std::size_t j = 1; j <= q; ++j) {
                at(i, j) = matcher(left[i - 1], right[j - 1]) ? at(i - 1, j - 1) + 1
                                                               : std::max(at(i - 1, j), at(i, j - 1));
            }
        }

        std::vector<SequenceMatch> matches;
        std::size_t i = p;
        std::size_t j = q;
        while (i > 0 && j > 0) {
            if (matcher(left[i - 1], right[j - 1])) {
                matches.push_back({static_cast<int>(i - 1), static_cast<int>(j - 1), 1});
                --i;
                --j;
            } else if (at(i, j - 1) >= at(i - 1, j)) {
                --j;
            } else {
                --i;
            }
        }
        std::reverse(matches.begin(), matches.end());
        return matches;
    }
};

} // namespace razeziruzer
