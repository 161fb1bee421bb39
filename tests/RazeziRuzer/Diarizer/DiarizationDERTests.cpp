#include "RazeziRuzer/Diarizer/DiarizationDER.hpp"

#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"
#include "RazeziRuzer/Diarizer/Hungarian.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace razeziruzer {
namespace {

using Segments = std::vector<DERSpeakerSegment>;
using Mapping = std::map<std::string, std::string>;

TEST(DiarizationDERTests, WorkedExamples) {
    struct Case {
        const char* name;
        Segments ref;
        Segments hyp;
        double frameStep;
        double collar;
        double der, miss, falseAlarm, confusion, totalRef;
        Mapping mapping;
    };
    const Case cases[] = {
        {"both empty", {}, {}, 0.5, 0, 0, 0, 0, 0, 0, {}},
        {"perfect", {{"A", 0, 10}}, {{"X", 0, 10}}, 0.5, 0, 0, 0, 0, 0, 10, {{"X", "A"}}},
        {"reference only", {{"A", 0, 4}}, {}, 0.5, 0, 1.0, 4, 0, 0, 4, {}},
        {"tied assignment maps the first row", {{"A", 0, 4}}, {{"X", 0, 2}, {"Y", 2, 4}}, 0.5, 0, 0.5, 0, 0, 2, 4,
         {{"X", "A"}}},
        {"halves round down", {{"A", 0.5, 2.5}}, {{"X", 0, 1}}, 1.0, 0, 0.5, 1, 0, 0, 2, {{"X", "A"}}},
        {"collar leaves boundary frames unscored", {{"A", 2, 6}}, {{"X", 2, 6}}, 0.5, 1.0, 0, 0, 0, 0, 3,
         {{"X", "A"}}},
        {"empty segment marks nothing but counts for the length", {{"A", 0, 2}, {"B", 9, 9}}, {{"X", 0, 2}}, 0.5, 1.0,
         0, 0, 0, 0, 1.0, {{"X", "A"}}},
        {"unmatched hypothesis speaker is confusion, then false alarm", {{"A", 0, 2}, {"B", 2, 4}},
         {{"X", 0, 1.5}, {"Y", 1.5, 2}, {"Y", 4, 5}, {"Z", 2, 4}}, 0.5, 0, 0.375, 0, 1, 0.5, 4,
         {{"X", "A"}, {"Z", "B"}}},
        {"an assigned speaker without overlap stays unmapped", {{"A", 0, 2}, {"B", 4, 6}}, {{"X", 0, 2}, {"Y", 2, 4}},
         0.5, 0, 1.0, 2, 2, 0, 4, {{"X", "A"}}},
        {"overlapped reference counts each speaker", {{"A", 0, 2}, {"B", 0, 2}}, {{"X", 0, 2}}, 0.5, 0, 0.5, 2, 0, 0,
         4, {{"X", "A"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = DiarizationDER::compute(c.ref, c.hyp, c.frameStep, c.collar);
        EXPECT_DOUBLE_EQ(result.der, c.der);
        EXPECT_DOUBLE_EQ(result.miss, c.miss);
        EXPECT_DOUBLE_EQ(result.falseAlarm, c.falseAlarm);
        EXPECT_DOUBLE_EQ(result.confusion, c.confusion);
        EXPECT_DOUBLE_EQ(result.totalRefSpeech, c.totalRef);
        EXPECT_EQ(result.mapping, c.mapping);
    }
}

TEST(DiarizationDERTests, HypothesisWithoutReferenceIsNotAPerfectScore) {
    const auto result = DiarizationDER::compute(Segments{}, Segments{{"X", 0, 3}}, 0.5, 0);
    EXPECT_DOUBLE_EQ(result.falseAlarm, 3.0);
    EXPECT_DOUBLE_EQ(result.totalRefSpeech, 0.0);
    EXPECT_TRUE(std::isinf(result.der) && result.der > 0);
    // Speech of zero length claims nothing.
    EXPECT_DOUBLE_EQ(DiarizationDER::compute(Segments{}, Segments{{"X", 2, 2}}, 0.5, 0).der, 0.0);
}

TEST(DiarizationDERTests, CallerErrorsAreRefused) {
    const Segments ref{{"A", 0, 1}};
    for (const auto& [frameStep, collar] : std::vector<std::pair<double, double>>{
             {0.0, 0.0}, {-0.5, 0.0}, {NAN, 0.0}, {0.5, -1.0}, {0.5, NAN}}) {
        EXPECT_THROW(DiarizationDER::compute(ref, ref, frameStep, collar), DiarizerError)
            << frameStep << " " << collar;
    }
    EXPECT_THROW(DiarizationDER::compute(Segments{{"A", 0, 1e30}}, ref, 0.01, 0), DiarizerError);
}

TEST(DiarizationDERTests, CollarMaskAroundReferenceBoundaries) {
    const auto mask = DiarizationDER::collarMask(Segments{{"A", 2, 6}}, 14, 0.5, 1.0);
    std::vector<bool> expected(14, true);
    for (const int frame : {3, 4, 11, 12}) expected[static_cast<std::size_t>(frame)] = false;
    EXPECT_EQ(mask, expected);
}

TEST(DiarizationDERTests, HungarianFindsTheCheapestAssignment) {
    // Greedy row by row would take 1 for row 0 and then pay 100.
    const std::vector<std::int64_t> cost{1, 2, 3, 100};
    EXPECT_EQ(Hungarian::solve(cost, 2), (std::vector<std::int64_t>{1, 0}));
    EXPECT_TRUE(Hungarian::solve({}, 0).empty());
    const std::vector<std::int64_t> three{4, 1, 3, 2, 0, 5, 3, 2, 2};
    EXPECT_EQ(Hungarian::solve(three, 3), (std::vector<std::int64_t>{1, 0, 2}));
}

} // namespace
} // namespace razeziruzer
