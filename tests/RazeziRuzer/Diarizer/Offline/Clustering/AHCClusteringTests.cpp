#include "RazeziRuzer/Diarizer/Offline/Clustering/AHCClustering.hpp"

#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace razeziruzer {
namespace {

using Labels = std::vector<std::int64_t>;

TEST(AHCClusteringTests, DegenerateInputs) {
    const AHCClustering ahc;
    EXPECT_EQ(ahc.cluster({}, 0.6), Labels{});
    EXPECT_EQ(ahc.cluster({{1.0, 2.0}}, 0.6), Labels{0});
    EXPECT_EQ(ahc.cluster({{}, {}, {}}, 0.6), (Labels{0, 0, 0}));
}

TEST(AHCClusteringTests, ThresholdToDistance) {
    const AHCClustering ahc;
    EXPECT_DOUBLE_EQ(ahc.convertThresholdToDistance(0.6), std::sqrt(0.8));
    EXPECT_EQ(ahc.convertThresholdToDistance(1.0), 0.0);
    EXPECT_EQ(ahc.convertThresholdToDistance(1.3), 0.0);
    EXPECT_DOUBLE_EQ(ahc.convertThresholdToDistance(-1.0), 2.0);
    EXPECT_DOUBLE_EQ(ahc.convertThresholdToDistance(-4.0), 2.0);
    EXPECT_EQ(ahc.convertThresholdToDistance(std::numeric_limits<double>::quiet_NaN()),
              std::numeric_limits<double>::infinity());
}

// Directions at 0, 10 and 100 degrees: the first two are 0.985 similar.
std::vector<std::vector<double>> threeDirections(double scale) {
    const double pi = std::acos(-1.0);
    std::vector<std::vector<double>> rows;
    for (const double degrees : {100.0, 0.0, 10.0}) {
        rows.push_back({scale * std::cos(degrees * pi / 180), scale * std::sin(degrees * pi / 180)});
    }
    return rows;
}

TEST(AHCClusteringTests, CutsAtTheCosineThresholdWithFirstAppearanceLabels) {
    const AHCClustering ahc;
    // Lengths do not matter: rows are made unit length first.
    EXPECT_EQ(ahc.cluster(threeDirections(5.0), 0.9), (Labels{0, 1, 1}));
    EXPECT_EQ(ahc.cluster(threeDirections(0.2), 0.99), (Labels{0, 1, 2}));
    EXPECT_EQ(ahc.cluster(threeDirections(1.0), -1.0), (Labels{0, 0, 0}));
    EXPECT_EQ(ahc.cluster(threeDirections(1.0), std::numeric_limits<double>::quiet_NaN()), (Labels{0, 0, 0}));
}

TEST(AHCClusteringTests, ANodeExactlyAtTheThresholdStaysTogether) {
    // Unit vectors at right angles are sqrt(2) apart, the distance of cosine 0.
    const AHCClustering ahc;
    const std::vector<std::vector<double>> rows{{1, 0}, {0, 1}};
    EXPECT_EQ(ahc.cluster(rows, 0.0), (Labels{0, 0}));
    EXPECT_EQ(ahc.cluster(rows, 1e-9), (Labels{0, 1}));
}

TEST(AHCClusteringTests, ZeroRowsStayZeroAndIdenticalDirectionsJoinAtOne) {
    const AHCClustering ahc;
    EXPECT_EQ(ahc.cluster({{0, 0}, {0, 0}, {1, 0}}, 1.0), (Labels{0, 0, 1}));
    EXPECT_EQ(ahc.cluster({{1, 0}, {3, 0}, {0, 1}}, 1.0), (Labels{0, 0, 1}));
}

TEST(AHCClusteringTests, AFailedLinkageIsReportedNotHidden) {
    const AHCClustering ahc;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    try {
        ahc.cluster({{1, 0}, {nan, 1}, {0, 1}}, 0.6);
        FAIL() << "no error";
    } catch (const OfflineDiarizationError& error) {
        EXPECT_EQ(error.kind(), OfflineDiarizationErrorKind::processingFailed);
        EXPECT_EQ(error.message(), "fastcluster failed with status 5");
    }
}

} // namespace
} // namespace razeziruzer
