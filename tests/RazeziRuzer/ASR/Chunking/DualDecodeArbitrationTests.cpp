#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/DualDecodeArbitration.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace razeziruzer {
namespace {

using Tally = DualDecodeArbitration::ProbeTally;
using Chunking = DualDecodeArbitration::Chunking;

// One probe list of `count` tokens (ids from `firstId`, one frame apart) of one confidence.
Tally tally(int count, float confidence, int firstId = 1) {
    Tally result;
    std::vector<TokenEntry> list;
    for (int i = 0; i < count; ++i) list.push_back({firstId + i, 100 + i, confidence, 0});
    result.add(std::move(list));
    return result;
}

// A's list followed by `extra` tokens of its own, all of one confidence.
Tally extended(const Tally& a, int shared, int extra, float confidence) {
    std::vector<TokenEntry> list(a.lists[0].begin(), a.lists[0].begin() + shared);
    for (auto& token : list) token.confidence = confidence;
    for (int i = 0; i < extra; ++i) list.push_back({1000 + i, 100 + i, confidence, 0});
    Tally result;
    result.add(std::move(list));
    return result;
}

Chunking choose(const Tally& a, const Tally& b, const Tally& c) {
    return DualDecodeArbitration(a, b, c, 2.0).choice;
}

TEST(DualDecodeArbitrationTest, ChoiceAtItsBoundaries) {
    const float aboveA = 0.5f + 0.03f;
    const float belowA = 0.5f - 0.03f;
    const float barelyAbove = 0.5f + 0.001f;
    const Tally a20 = tally(20, 0.5f);
    const Tally a1 = tally(1, 0.5f);
    const Tally a3 = tally(3, 0.5f);
    struct Case {
        const char* name;
        Tally a, b, c;
        Chunking expected;
    };
    const Case cases[] = {
        {"C/A exactly 1.15, full agreement", a20, a20, extended(a20, 20, 3, 0.5f), Chunking::c},
        {"C-agree exactly 0.75", a20, a20, extended(a20, 15, 8, 0.5f), Chunking::c},
        {"C-agree 0.7", a20, a20, extended(a20, 14, 9, 0.5f), Chunking::a},
        {"C/A below 1.15", a20, a20, extended(a20, 20, 2, 0.5f), Chunking::a},
        {"confC exactly confA + 0.03", a1, a1, extended(a1, 1, 1, aboveA), Chunking::c},
        {"confC exactly confA - 0.03", a1, a1, extended(a1, 1, 1, belowA), Chunking::c},
        {"confC just above the band", a1, a1, extended(a1, 1, 1, std::nextafter(aboveA, 1.0f)), Chunking::a},
        {"B/A exactly 0.6 goes on to step 4", tally(5, 0.5f), tally(3, 0.9f), tally(5, 0.5f), Chunking::b},
        {"B/A below 0.6", tally(5, 0.5f), tally(2, 0.9f), tally(5, 0.5f), Chunking::a},
        {"B/A exactly 0.9", tally(10, 0.5f), tally(9, 0.9f), tally(10, 0.5f), Chunking::b},
        {"confB exactly confA + 0.001", a3, tally(2, barelyAbove), a3, Chunking::a},
        {"confB just above", a3, tally(2, std::nextafter(barelyAbove, 1.0f)), a3, Chunking::b},
        {"equal counts", a20, a20, a20, Chunking::a},
        {"no A tokens", tally(0, 0), tally(4, 0.9f), tally(9, 0.9f), Chunking::a},
    };
    for (const auto& c : cases) EXPECT_EQ(choose(c.a, c.b, c.c), c.expected) << c.name;
}

TEST(DualDecodeArbitrationTest, AgreementWithinHalfTheOverlapInFrames) {
    const auto agreement = [](std::vector<TokenEntry> a, std::vector<TokenEntry> c) {
        Tally ta, tc;
        ta.add(std::move(a));
        tc.add(std::move(c));
        return DualDecodeArbitration(ta, ta, tc, 2.0).agreementCA;
    };
    EXPECT_EQ(agreement({{7, 100, 1, 0}}, {{7, 112, 1, 0}}), 1.0f);
    EXPECT_EQ(agreement({{7, 100, 1, 0}}, {{7, 113, 1, 0}}), 0.0f);
    EXPECT_EQ(agreement({{7, 100, 1, 0}}, {{8, 100, 1, 0}}), 0.0f);
    // One C token may confirm several A tokens.
    EXPECT_EQ(agreement({{7, 100, 1, 0}, {7, 101, 1, 0}, {9, 102, 1, 0}, {9, 103, 1, 0}}, {{7, 105, 1, 0}}), 0.5f);
}

TEST(DualDecodeArbitrationTest, LogLineOfAnEmptyProbe) {
    const Tally empty;
    const DualDecodeArbitration arbitration(empty, empty, empty, 2.0);
    EXPECT_EQ(arbitration.logLine(empty, empty, empty),
              "[dual-decode probe] A=(n=0, conf=-inf) B=(n=0, conf=-inf) C=(n=0, conf=-inf) B/A=1.0 C/A=1.0 "
              "C-agree=1.0 -> A");
}

TEST(DualDecodeArbitrationTest, LogLineShowsCountsRatiosAndChoice) {
    const Tally a = tally(4, 0.5f);
    const Tally b = tally(3, 0.75f);
    const Tally c = tally(4, 0.5f);
    const DualDecodeArbitration arbitration(a, b, c, 2.0);
    EXPECT_EQ(arbitration.logLine(a, b, c),
              "[dual-decode probe] A=(n=4, conf=0.5) B=(n=3, conf=0.75) C=(n=4, conf=0.5) B/A=0.75 C/A=1.0 "
              "C-agree=1.0 -> B");
}

TEST(DualDecodeArbitrationTest, FloatTextIsShortestRoundTrip) {
    EXPECT_EQ(DualDecodeArbitration::floatText(1.0f), "1.0");
    EXPECT_EQ(DualDecodeArbitration::floatText(0.1f), "0.1");
    EXPECT_EQ(DualDecodeArbitration::floatText(1.15f), "1.15");
    EXPECT_EQ(DualDecodeArbitration::floatText(12.0f), "12.0");
    EXPECT_EQ(DualDecodeArbitration::floatText(-INFINITY), "-inf");
}

} // namespace
} // namespace razeziruzer
