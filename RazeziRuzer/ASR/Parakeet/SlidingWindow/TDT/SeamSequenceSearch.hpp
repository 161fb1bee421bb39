#pragma once
// The two searches that find a run of tokens a window repeats from the end of
// the previous one: an exact overlap at the seam, and a repeat that starts a
// few tokens into the new window. Runs of one element are never reported.

#include "RazeziRuzer/ASR/Parakeet/TokenDeduplication/SequenceMatch.hpp"

#include <algorithm>
#include <optional>
#include <vector>

namespace razeziruzer::SeamSequenceSearch {

// The longest L >= 2 (at most maxOverlap) whose last L elements of previous
// equal the first L of current.
template <typename Element, typename Matcher>
std::optional<SequenceMatch> findSuffixPrefixMatch(const std::vector<Element>& previous,
                                                   const std::vector<Element>& current, int maxOverlap,
                                                   Matcher matcher) {
    const int p = static_cast<int>(previous.size());
    const int c = static_cast<int>(current.size());
    if (std::min(p, maxOverlap) < 2 || std::min(c, maxOverlap) < 2) return std::nullopt;
    for (int length = std::min({p, c, maxOverlap}); length >= 2; --length) {
        bool same = true;
        for (int i = 0; same && i < length; ++i) same = matcher(previous[p - length + i], current[i]);
        if (same) return SequenceMatch{p - length, 0, length};
    }
    return std::nullopt;
}

// Longest run first, then the earliest start in the searched tail of previous
// (its last maxSearchLength elements), then the earliest start in current
// (among its first boundarySearchFrames positions).
template <typename Element, typename Matcher>
std::optional<SequenceMatch> findBoundedSubstringMatch(const std::vector<Element>& previous,
                                                       const std::vector<Element>& current, int maxSearchLength,
                                                       int boundarySearchFrames, Matcher matcher) {
    const int p = static_cast<int>(previous.size());
    const int c = static_cast<int>(current.size());
    if (p < 2 || c < 2 || maxSearchLength < 2 || boundarySearchFrames < 0) return std::nullopt;
    for (int length = std::min(c, maxSearchLength); length >= 2; --length) {
        for (int j = std::max(0, p - maxSearchLength); j <= p - length; ++j) {
            for (int k = 0; k < std::min(boundarySearchFrames, c - length + 1); ++k) {
                bool same = true;
                for (int i = 0; same && i < length; ++i) same = matcher(previous[j + i], current[k + i]);
                if (same) return SequenceMatch{j, k, length};
            }
        }
    }
    return std::nullopt;
}

} // namespace razeziruzer::SeamSequenceSearch
