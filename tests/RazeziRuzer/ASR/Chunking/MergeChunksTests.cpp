#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/ChunkProcessor.hpp"
#include "tests/RazeziRuzer/ASR/Chunking/ChunkFixtures.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

namespace razeziruzer {
namespace {

using chunktest::tokens;

// Token ids: word starts are 1xx, continuations 2xx.
constexpr int A = 101, B = 102, C = 203, D = 204, E = 205, F = 106, G = 207, H = 108;

class MergeChunksTest : public ::testing::Test {
protected:
    ChunkProcessor processor = chunktest::processorOfLength(0);
};

TEST_F(MergeChunksTest, EmptySideOrNoTimeOverlapJoinsUnchanged) {
    const auto left = tokens({{A, 10}, {B, 20}});
    const auto right = tokens({{C, 21}, {D, 30}});
    EXPECT_EQ(processor.mergeChunks({}, right, std::nullopt), right);
    EXPECT_EQ(processor.mergeChunks(left, {}, std::nullopt), left);
    // The right starts on the frame after the left's last token: no overlap.
    EXPECT_EQ(processor.mergeChunks(left, right, std::nullopt), tokens({{A, 10}, {B, 20}, {C, 21}, {D, 30}}));
    // Even when the right opens inside a word: nothing is cut without an overlap.
    const auto continuing = tokens({{C, 21}, {F, 30}});
    const std::unordered_set<int> wordStarts{A, B, F, H};
    EXPECT_EQ(processor.mergeChunks(left, continuing, wordStarts), tokens({{A, 10}, {B, 20}, {C, 21}, {F, 30}}));
}

TEST_F(MergeChunksTest, ContiguousRunKeepsLeftCopyAndAppendsRightTail) {
    const auto left = tokens({{A, 100}, {B, 110}, {C, 120}, {D, 130}});
    const auto right = tokens({{B, 111}, {C, 121}, {D, 131}, {F, 140}});
    const auto expected = tokens({{A, 100}, {B, 110}, {C, 120}, {D, 130}, {F, 140}});
    EXPECT_EQ(processor.mergeChunks(left, right, std::nullopt), expected);
    EXPECT_EQ(processor.mergeChunks(left, right, std::unordered_set<int>{F}), expected);
}

TEST_F(MergeChunksTest, SeamWordIsTakenWholeFromTheRight) {
    const auto left = tokens({{A, 100}, {B, 110}, {C, 120}, {D, 130}});
    const auto right = tokens({{B, 111}, {C, 121}, {D, 131}, {E, 140}});
    EXPECT_EQ(processor.mergeChunks(left, right, std::unordered_set<int>{B}),
              tokens({{A, 100}, {B, 111}, {C, 121}, {D, 131}, {E, 140}}));
}

TEST_F(MergeChunksTest, SeamRepairKeepsRightTailThatHasNoWordStart) {
    // The right chunk starts inside a long word and reaches no word start, so
    // the seam word cannot be swapped; its tail (E, G) is the only copy of
    // what was said after the left chunk's end.
    std::vector<TokenEntry> left = tokens({{A, 100}});
    for (int i = 0; i < 13; ++i) left.push_back({C, 101 + i, 1.0f, 0});
    std::vector<TokenEntry> right;
    for (int i = 8; i < 13; ++i) right.push_back({C, 101 + i, 1.0f, 0});
    right.push_back({E, 120, 1.0f, 0});
    right.push_back({G, 125, 1.0f, 0});

    const auto merged = processor.mergeChunks(left, right, std::unordered_set<int>{A});
    ASSERT_GE(merged.size(), 2u);
    EXPECT_EQ(merged[merged.size() - 2], (TokenEntry{E, 120, 1.0f, 0}));
    EXPECT_EQ(merged.back(), (TokenEntry{G, 125, 1.0f, 0}));
    EXPECT_EQ(merged.size(), left.size() + 2);
}

TEST_F(MergeChunksTest, EmptySafeSetKeepsRightTailOfMatchedMerge) {
    const auto left = tokens({{A, 100}, {B, 110}, {C, 120}, {D, 130}});
    const auto right = tokens({{B, 111}, {C, 121}, {D, 131}, {E, 140}, {G, 150}});
    EXPECT_EQ(processor.mergeChunks(left, right, std::unordered_set<int>{}),
              tokens({{A, 100}, {B, 110}, {C, 120}, {D, 130}, {E, 140}, {G, 150}}));
}

TEST_F(MergeChunksTest, GapsBetweenMatchesComeFromTheSideThatHeardMore) {
    // No contiguous run reaches half the left overlap, so the common
    // subsequence A, B, C is used; between A and B the right heard two tokens
    // where the left heard one, between B and C only the left heard one.
    const auto left = tokens({{A, 100}, {D, 102}, {B, 106}, {E, 108}, {C, 112}});
    const auto right = tokens({{A, 101}, {F, 103}, {G, 104}, {B, 107}, {C, 113}, {300, 120}});
    EXPECT_EQ(processor.mergeChunks(left, right, std::nullopt),
              tokens({{A, 100}, {F, 103}, {G, 104}, {B, 106}, {E, 108}, {C, 112}, {300, 120}}));
}

TEST_F(MergeChunksTest, ARunOfHalfTheLeftOverlapIsEnoughAndGapTiesGoLeft) {
    // Left and right agree on A, B and D; the run A, B is two long. Five left
    // overlap tokens need a run of 5 / 2 = 2: the run is used and the right
    // tail after B follows. Six need 3: the common subsequence A, B, D is used,
    // and between B and D both sides heard one token, where the left wins.
    constexpr int A = 111, B = 112, C = 213, D = 214, G = 215, X = 216, H = 217, E = 118;
    const auto right = tokens({{A, 101}, {B, 103}, {H, 105}, {D, 107}, {E, 110}});
    struct Case {
        const char* name;
        std::vector<TokenEntry> left;
        std::vector<TokenEntry> expected;
    };
    const Case cases[] = {
        {"run of 2 of 5", tokens({{A, 100}, {B, 102}, {C, 104}, {D, 106}, {G, 108}}),
         tokens({{A, 100}, {B, 102}, {H, 105}, {D, 107}, {E, 110}})},
        {"run of 2 of 6", tokens({{A, 100}, {B, 102}, {C, 104}, {D, 106}, {G, 108}, {X, 109}}),
         tokens({{A, 100}, {B, 102}, {C, 104}, {D, 106}, {E, 110}})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(processor.mergeChunks(c.left, right, std::nullopt), c.expected) << c.name;
    }
}

TEST_F(MergeChunksTest, TheSeamWordIsLookedForAmongTheLastTwelveTokens) {
    // Both chunks hold the word W c1 c2 ... (W a word start) and match on all
    // of the left's copy; the right goes on inside the word, then N starts the
    // next one. A left copy of 12 tokens is swapped for the right's whole word;
    // with 13 the word start lies beyond the search, so the left keeps its copy
    // and the right resumes at N.
    constexpr int W = 150, N = 160;
    const std::unordered_set<int> safe{W, N};
    const auto word = [&](int length, int firstFrame) {
        std::vector<TokenEntry> list = tokens({{W, firstFrame}});
        for (int k = 1; k < length; ++k) list.push_back({250 + k, firstFrame + k, 1.0f, 0});
        return list;
    };
    for (const int length : {12, 13}) {
        const auto left = word(length, 100);
        auto right = word(length + 1, 101);
        right.push_back({N, 101 + length + 1, 1.0f, 0});
        auto expected = length <= 12 ? right : left;
        if (length > 12) expected.push_back(right.back());
        EXPECT_EQ(processor.mergeChunks(left, right, safe), expected) << "word of " << length << " tokens";
    }
}

TEST_F(MergeChunksTest, MatchToleranceIsStrictlyBelowHalfTheOverlap) {
    const auto left = tokens({{A, 100}, {B, 110}, {G, 122}});
    const auto right = tokens({{B, 120}, {C, 121}, {F, 130}});
    // The two copies of B are 10 frames apart: exactly half the overlap is no match.
    auto exact = processor;
    exact.overlapSeconds = 2 * (120 * 0.08 - 110 * 0.08);
    auto wider = processor;
    wider.overlapSeconds = exact.overlapSeconds + 0.01;

    EXPECT_EQ(wider.mergeChunks(left, right, std::nullopt), tokens({{A, 100}, {B, 110}, {C, 121}, {F, 130}}));
    // Unmatched: spliced at the midpoint, 9.72 s.
    EXPECT_EQ(exact.mergeChunks(left, right, std::nullopt), tokens({{A, 100}, {B, 110}, {F, 130}}));
}

TEST_F(MergeChunksTest, MidpointSpliceFinishesLeftWordAndResumesRightAtNextWord) {
    // Nothing matches; the midpoint (10.04 s) cuts the left word B-C-D after C
    // and the right word F-E-G after F.
    const auto left = tokens({{A, 100}, {B, 120}, {C, 124}, {D, 127}, {A, 130}});
    const auto right = tokens({{F, 120}, {E, 128}, {G, 129}, {H, 132}, {E, 140}});
    const std::unordered_set<int> safe{A, B, F, H};
    EXPECT_EQ(processor.mergeChunks(left, right, safe),
              tokens({{A, 100}, {B, 120}, {C, 124}, {D, 127}, {H, 132}, {E, 140}}));
    // Without safe ids the cut is plain.
    EXPECT_EQ(processor.mergeChunks(left, right, std::nullopt),
              tokens({{A, 100}, {B, 120}, {C, 124}, {E, 128}, {G, 129}, {H, 132}, {E, 140}}));
}

TEST_F(MergeChunksTest, MidpointSpliceKeepsRightRemainderWithoutWordStart) {
    const auto left = tokens({{A, 100}, {C, 124}, {D, 127}, {E, 130}});
    const auto right = tokens({{F, 118}, {G, 128}, {E, 150}, {D, 170}});
    // No right token after the cut is a word start: a plain midpoint cut,
    // never the loss of everything the right chunk heard after it.
    EXPECT_EQ(processor.mergeChunks(left, right, std::unordered_set<int>{A, F}),
              tokens({{A, 100}, {C, 124}, {G, 128}, {E, 150}, {D, 170}}));
}

TEST_F(MergeChunksTest, SingleOverlapTokenSplicesAtMidpoint) {
    const auto left = tokens({{A, 10}, {B, 40}});
    const auto right = tokens({{B, 40}, {F, 80}});
    auto narrow = processor;
    narrow.overlapSeconds = 0.1; // only B on each side overlaps
    EXPECT_EQ(narrow.mergeChunks(left, right, std::nullopt), tokens({{A, 10}, {B, 40}, {F, 80}}));
}

TEST(SpliceSafeTokenIdsTest, WordStartsAndPurePunctuationOrSymbolsAreSafe) {
    const Vocabulary vocabulary{
        {1, "\u2581the"}, {2, " x"}, {3, ","}, {4, "$"}, {5, "!?"}, {6, "\u00bf"},
        {7, "ab"},        {8, ""},   {9, ".a"}, {10, "\u00e9"}, {11, "1"},
    };
    EXPECT_EQ(ChunkProcessor::spliceSafeTokenIds(vocabulary), (std::unordered_set<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(ChunkProcessor::spliceSafeTokenIds({}), std::nullopt);
    EXPECT_EQ(ChunkProcessor::spliceSafeTokenIds({{1, "ab"}}), std::unordered_set<int>{});
}

} // namespace
} // namespace razeziruzer
