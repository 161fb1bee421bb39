// Joining the token lists of two overlapping chunks: one copy of what both
// recognised, gaps filled from the side that heard more, and the word at the
// seam taken whole from one side.

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkGeometry.hpp"
#include "RazeziRuzer/ASR/Parakeet/TokenDeduplication/SequenceMatcher.hpp"
#include "Platform/Text/UnicodeProperties.hpp"
#include "RazeziRuzer/Shared/ASRConstants.hpp"

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>

namespace razeziruzer {

struct ChunkProcessor::IndexedToken {
    int index;
    TokenEntry token;
    double start;
    double end;
};

namespace {

using chunkgeometry::frameSeconds;
using Tokens = std::vector<TokenEntry>;

double startOf(const TokenEntry& token) { return token.timestamp * frameSeconds; }
// One frame after the start, computed from the next frame's index so that a
// token ending exactly where the next one starts compares equal to it.
double endOf(const TokenEntry& token) { return (token.timestamp + 1.0) * frameSeconds; }

bool isSafe(const std::unordered_set<int>& safeIds, const TokenEntry& token) { return safeIds.contains(token.token); }

// First position at or after `from` whose token is splice-safe; none when there is none.
std::optional<std::size_t> nextSafe(const Tokens& tokens, std::size_t from, const std::unordered_set<int>& safeIds) {
    for (std::size_t i = from; i < tokens.size(); ++i) {
        if (isSafe(safeIds, tokens[i])) return i;
    }
    return std::nullopt;
}

void append(Tokens& into, const Tokens& from, std::size_t begin, std::size_t end) {
    if (begin < end) into.insert(into.end(), from.begin() + begin, from.begin() + end);
}

void appendFrom(Tokens& into, const Tokens& from, std::size_t begin) { append(into, from, begin, from.size()); }

std::size_t utf8Length(char32_t scalar) {
    if (scalar < 0x80) return 1;
    if (scalar < 0x800) return 2;
    if (scalar < 0x10000) return 3;
    return 4;
}

bool isPunctuationOrSymbolOnly(std::string_view text) {
    while (!text.empty()) {
        const char32_t scalar = platform::text::firstScalar(text).value_or(U'\uFFFD');
        if (!platform::text::isPunctuation(scalar) && !platform::text::isSymbol(scalar)) return false;
        // An ill-formed byte reads as U+FFFD; step over it alone.
        const bool encodedReplacement = text.starts_with("\xEF\xBF\xBD");
        const std::size_t step = (scalar == U'\uFFFD' && !encodedReplacement) ? 1 : utf8Length(scalar);
        text.remove_prefix(std::min(step, text.size()));
    }
    return true;
}

} // namespace

std::vector<TokenEntry> ChunkProcessor::mergeChunks(const std::vector<TokenEntry>& left,
                                                    const std::vector<TokenEntry>& right,
                                                    const SpliceSafeTokenIds& spliceSafeTokenIds) const {
    if (left.empty()) return right;
    if (right.empty()) return left;

    const double leftEnd = endOf(left.back());
    const double rightStart = startOf(right.front());
    if (rightStart >= leftEnd) {
        Tokens joined = left;
        appendFrom(joined, right, 0);
        return joined;
    }

    std::vector<IndexedToken> overlapLeft;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (endOf(left[i]) > rightStart - overlapSeconds) {
            overlapLeft.push_back({static_cast<int>(i), left[i], startOf(left[i]), endOf(left[i])});
        }
    }
    std::vector<IndexedToken> overlapRight;
    for (std::size_t i = 0; i < right.size(); ++i) {
        if (startOf(right[i]) < leftEnd + overlapSeconds) {
            overlapRight.push_back({static_cast<int>(i), right[i], startOf(right[i]), endOf(right[i])});
        }
    }

    if (overlapLeft.size() >= 2 && overlapRight.size() >= 2) {
        const double tolerance = 0.5 * overlapSeconds;
        const auto matches = [tolerance](const IndexedToken& a, const IndexedToken& b) {
            return a.token.token == b.token.token && std::abs(a.start - b.start) < tolerance;
        };

        // Longest contiguous run of matching tokens; the first of equally long runs wins.
        std::size_t bestI = 0, bestJ = 0, bestLength = 0;
        for (std::size_t i = 0; i < overlapLeft.size(); ++i) {
            for (std::size_t j = 0; j < overlapRight.size(); ++j) {
                std::size_t length = 0;
                while (i + length < overlapLeft.size() && j + length < overlapRight.size() &&
                       matches(overlapLeft[i + length], overlapRight[j + length])) {
                    ++length;
                }
                if (length > bestLength) {
                    bestI = i;
                    bestJ = j;
                    bestLength = length;
                }
            }
        }
        if (bestLength >= overlapLeft.size() / 2) {
            IndexPairs run;
            for (std::size_t k = 0; k < bestLength; ++k) {
                run.emplace_back(static_cast<int>(bestI + k), static_cast<int>(bestJ + k));
            }
            return mergeUsingMatches(run, overlapLeft, overlapRight, left, right, spliceSafeTokenIds);
        }

        const auto common = SequenceMatcher::findLongestCommonSubsequence(
            std::span<const IndexedToken>(overlapLeft), std::span<const IndexedToken>(overlapRight), matches);
        if (!common.empty()) {
            IndexPairs pairs;
            for (const auto& match : common) pairs.emplace_back(match.leftStartIndex, match.rightStartIndex);
            return mergeUsingMatches(pairs, overlapLeft, overlapRight, left, right, spliceSafeTokenIds);
        }
    }
    return spliceAtMidpoint(left, right, leftEnd, rightStart, spliceSafeTokenIds);
}

std::vector<TokenEntry> ChunkProcessor::spliceAtMidpoint(const std::vector<TokenEntry>& left,
                                                         const std::vector<TokenEntry>& right, double leftEnd,
                                                         double rightStart,
                                                         const SpliceSafeTokenIds& spliceSafeTokenIds) const {
    const double mid = (leftEnd + rightStart) / 2;
    const auto firstAtOrAfterMid = [mid](const Tokens& tokens) {
        const auto found = std::find_if(tokens.begin(), tokens.end(),
                                        [mid](const TokenEntry& token) { return startOf(token) >= mid; });
        return static_cast<std::size_t>(found - tokens.begin());
    };
    std::size_t cutLeft = firstAtOrAfterMid(left);
    std::size_t cutRight = firstAtOrAfterMid(right);

    if (spliceSafeTokenIds && cutRight < right.size()) {
        // Without a word start after the cut the right remainder is all one
        // continued word plus whatever follows it; dropping it would lose the
        // rest of the chunk, so then both sides are cut plainly at the midpoint.
        if (const auto rightResume = nextSafe(right, cutRight, *spliceSafeTokenIds)) {
            if (cutLeft > 0 && cutLeft < left.size()) {
                cutLeft = nextSafe(left, cutLeft, *spliceSafeTokenIds).value_or(left.size());
            }
            cutRight = *rightResume;
        }
    } else if (spliceSafeTokenIds && cutLeft > 0 && cutLeft < left.size()) {
        cutLeft = nextSafe(left, cutLeft, *spliceSafeTokenIds).value_or(left.size());
    }

    Tokens merged(left.begin(), left.begin() + static_cast<std::ptrdiff_t>(cutLeft));
    appendFrom(merged, right, cutRight);
    return merged;
}

std::vector<TokenEntry> ChunkProcessor::mergeUsingMatches(const IndexPairs& matches,
                                                          const std::vector<IndexedToken>& overlapLeft,
                                                          const std::vector<IndexedToken>& overlapRight,
                                                          const std::vector<TokenEntry>& left,
                                                          const std::vector<TokenEntry>& right,
                                                          const SpliceSafeTokenIds& spliceSafeTokenIds) const {
    std::vector<std::size_t> leftPositions;
    std::vector<std::size_t> rightPositions;
    for (const auto& [l, r] : matches) {
        leftPositions.push_back(static_cast<std::size_t>(overlapLeft[static_cast<std::size_t>(l)].index));
        rightPositions.push_back(static_cast<std::size_t>(overlapRight[static_cast<std::size_t>(r)].index));
    }

    Tokens merged(left.begin(), left.begin() + static_cast<std::ptrdiff_t>(leftPositions.front()));
    for (std::size_t k = 0; k < leftPositions.size(); ++k) {
        merged.push_back(left[leftPositions[k]]);
        if (k + 1 == leftPositions.size()) break;
        const std::size_t leftGapBegin = leftPositions[k] + 1;
        const std::size_t leftGapEnd = std::max(leftPositions[k + 1], leftGapBegin);
        const std::size_t rightGapBegin = rightPositions[k] + 1;
        const std::size_t rightGapEnd = std::max(rightPositions[k + 1], rightGapBegin);
        if (rightGapEnd - rightGapBegin > leftGapEnd - leftGapBegin) {
            append(merged, right, rightGapBegin, rightGapEnd);
        } else {
            append(merged, left, leftGapBegin, leftGapEnd);
        }
    }

    const std::size_t lastLeft = leftPositions.back();
    const std::size_t lastRight = rightPositions.back();
    const std::size_t tail = lastRight + 1;
    if (tail >= right.size()) return merged;
    if (!spliceSafeTokenIds || isSafe(*spliceSafeTokenIds, right[tail])) {
        appendFrom(merged, right, tail);
        return merged;
    }

    // The right list continues a word across the last match.
    const auto& safeIds = *spliceSafeTokenIds;
    const auto wordStart = wordInitialIndex(right, static_cast<std::ptrdiff_t>(lastRight), safeIds);
    if (wordStart && popSeamWord(merged, safeIds)) {
        appendFrom(merged, right, *wordStart);
        return merged;
    }
    const auto rightResume = nextSafe(right, tail, safeIds);
    if (!rightResume) {
        // No word starts in the right tail: it is the seam word's end and all
        // that follows, so the right's copy of it is kept whole.
        appendFrom(merged, right, tail);
        return merged;
    }
    // Finish the left's word, then resume the right at its next word.
    append(merged, left, lastLeft + 1, nextSafe(left, lastLeft + 1, safeIds).value_or(left.size()));
    appendFrom(merged, right, *rightResume);
    return merged;
}

std::optional<std::size_t> ChunkProcessor::wordInitialIndex(const std::vector<TokenEntry>& in, std::ptrdiff_t endingAt,
                                                            const std::unordered_set<int>& safeIds) {
    if (in.empty()) return std::nullopt;
    for (std::ptrdiff_t i = std::min<std::ptrdiff_t>(endingAt, static_cast<std::ptrdiff_t>(in.size()) - 1); i >= 0;
         --i) {
        if (isSafe(safeIds, in[static_cast<std::size_t>(i)])) return static_cast<std::size_t>(i);
    }
    return std::nullopt;
}

bool ChunkProcessor::popSeamWord(std::vector<TokenEntry>& from, const std::unordered_set<int>& safeIds) {
    constexpr std::size_t maxSeamWordTokens = 12;
    const std::size_t lookBack = std::min(maxSeamWordTokens, from.size());
    for (std::size_t k = 1; k <= lookBack; ++k) {
        const std::size_t i = from.size() - k;
        if (isSafe(safeIds, from[i])) {
            from.resize(i);
            return true;
        }
    }
    return false;
}

ChunkProcessor::SpliceSafeTokenIds ChunkProcessor::spliceSafeTokenIds(const Vocabulary& vocabulary) {
    if (vocabulary.empty()) return std::nullopt;
    std::unordered_set<int> safe;
    for (const auto& [id, piece] : vocabulary) {
        if (piece.empty()) continue;
        const std::string_view text = piece;
        if (text.starts_with(ASRConstants::sentencePieceWordBoundary) || text.starts_with(" ") ||
            isPunctuationOrSymbolOnly(text)) {
            safe.insert(id);
        }
    }
    return safe;
}

} // namespace razeziruzer
