#include "RazeziRuzer/Diarizer/Offline/Clustering/KMeansClustering.hpp"
#include "RazeziRuzer/Diarizer/Offline/Clustering/SeededRNG.hpp"
#include "RazeziRuzer/Diarizer/Offline/Clustering/SpeakerCountConstraints.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

namespace razeziruzer {
namespace {

using Labels = std::vector<std::int64_t>;
using Rows = std::vector<std::vector<double>>;

struct ResolveCase {
    const char* name;
    std::int64_t n;
    std::optional<std::int64_t> exact, min, max;
    SpeakerCountConstraints expected;
};

class SpeakerCountConstraintsResolve : public testing::TestWithParam<ResolveCase> {};

TEST_P(SpeakerCountConstraintsResolve, Resolves) {
    const auto& c = GetParam();
    EXPECT_EQ(SpeakerCountConstraints::resolve(c.n, c.exact, c.min, c.max), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpeakerCountConstraintsResolve,
    testing::Values(ResolveCase{"nothingSet", 10, {}, {}, {}, {std::nullopt, 1, 10}},
                    ResolveCase{"exact", 10, 3, 1, 8, {3, 3, 3}},
                    ResolveCase{"exactZero", 10, 0, {}, {}, {1, 1, 1}},
                    ResolveCase{"inverted", 10, {}, 5, 2, {2, 2, 2}},
                    ResolveCase{"oneEmbedding", 1, {}, 3, 6, {1, 1, 1}},
                    ResolveCase{"equalBounds", 10, {}, 4, 4, {4, 4, 4}},
                    ResolveCase{"boundsAboveCount", 3, {}, 2, 9, {std::nullopt, 2, 3}},
                    ResolveCase{"noEmbeddings", 0, {}, {}, {}, {1, 1, 1}}),
    [](const testing::TestParamInfo<ResolveCase>& info) { return std::string(info.param.name); });

TEST(SpeakerCountConstraintsTests, InvertedBoundsAreLogged) {
    platform::ScopedLogCapture capture;
    SpeakerCountConstraints::resolve(10, {}, 5, 2);
    EXPECT_TRUE(capture.contains("minSpeakers (5) > maxSpeakers (2); clamping minSpeakers to 2"));
    EXPECT_TRUE(capture.contains("Resolved constraints: numSpeakers=2, min=2, max=2"));
}

TEST(KMeansClusteringTests, FixedAnswers) {
    const Rows three{{1, 0}, {0, 1}, {1, 1}};
    const auto own = KMeansClustering::clusterWithCentroids(three, 5, 100, 1);
    EXPECT_EQ(own.clusters, (Labels{0, 1, 2}));
    EXPECT_EQ(own.centroids, three);
    EXPECT_EQ(KMeansClustering::clusterWithCentroids(three, 0, 100, 1).clusters, (Labels{0, 0, 0}));
    EXPECT_TRUE(KMeansClustering::clusterWithCentroids(three, 0, 100, 1).centroids.empty());
    EXPECT_TRUE(KMeansClustering::clusterWithCentroids({}, 2, 100, 1).clusters.empty());
    EXPECT_EQ(KMeansClustering::clusterWithCentroids({{}, {1}, {2}}, 2, 100, 1).clusters, (Labels{0, 0, 0}));
}

TEST(KMeansClusteringTests, NoIterationsKeepsTheShuffledStart) {
    const Rows rows{{3, 4}, {0, 2}, {-1, 0}, {0, -5}, {1, 1}};
    const auto result = KMeansClustering::clusterWithCentroids(rows, 2, 0, 99);
    EXPECT_EQ(result.clusters, Labels(5, 0));
    SeededRNG rng(99);
    std::vector<std::size_t> order(5);
    std::iota(order.begin(), order.end(), 0);
    rng.shuffle(order);
    ASSERT_EQ(result.centroids.size(), 2u);
    for (std::size_t c = 0; c < 2; ++c) {
        const auto& row = rows[order[c]];
        const double norm = std::hypot(row[0], row[1]);
        EXPECT_DOUBLE_EQ(result.centroids[c][0], row[0] / norm);
        EXPECT_DOUBLE_EQ(result.centroids[c][1], row[1] / norm);
    }
}

Rows groups(std::mt19937& random, int perGroup) {
    std::normal_distribution<double> noise(0, 0.05);
    const Rows directions{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Rows rows;
    for (int i = 0; i < perGroup; ++i) {
        for (const auto& d : directions) rows.push_back({d[0] + noise(random), d[1] + noise(random), d[2] + noise(random)});
    }
    return rows;
}

TEST(KMeansClusteringTests, SeparatesGroupsAndRepeatsWithTheSameSeed) {
    std::mt19937 random(3);
    const auto rows = groups(random, 20);
    const auto first = KMeansClustering::clusterWithCentroids(rows, 3, 100, 2026);
    const auto again = KMeansClustering::clusterWithCentroids(rows, 3, 100, 2026);
    EXPECT_EQ(first.clusters, again.clusters);
    EXPECT_EQ(first.centroids, again.centroids);
    // Rows come round-robin from the three groups: each group is one cluster.
    for (std::size_t i = 3; i < rows.size(); ++i) EXPECT_EQ(first.clusters[i], first.clusters[i % 3]) << i;
    EXPECT_NE(first.clusters[0], first.clusters[1]);
    EXPECT_NE(first.clusters[1], first.clusters[2]);
    EXPECT_NE(first.clusters[0], first.clusters[2]);
    // Centroids are the means of unit-length rows.
    for (const auto& c : first.centroids) EXPECT_NEAR(std::hypot(c[0], c[1], c[2]), 1.0, 0.01);
    // Unseeded runs start anywhere (and may settle in another local optimum).
    const auto unseeded = KMeansClustering::clusterWithCentroids(rows, 3, 100, std::nullopt);
    EXPECT_EQ(unseeded.clusters.size(), rows.size());
    EXPECT_EQ(unseeded.centroids.size(), 3u);
}

TEST(KMeansClusteringTests, EquidistantCentroidsGoToTheLowerIndex) {
    // The diagonal row is equally far from the two axis rows; when those two
    // start as the centroids, one iteration assigns it to centroid 0.
    const Rows tie{{1, 0}, {0, 1}, {1, 1}};
    int checked = 0;
    for (std::uint64_t seed = 0; seed < 16; ++seed) {
        SeededRNG rng(seed);
        std::vector<std::size_t> order{0, 1, 2};
        rng.shuffle(order);
        if (order[0] == 2 || order[1] == 2) continue;
        ++checked;
        const auto result = KMeansClustering::clusterWithCentroids(tie, 2, 1, seed);
        EXPECT_EQ(result.clusters[2], 0) << "seed " << seed;
        EXPECT_EQ(result.clusters[order[1]], 1) << "seed " << seed;
    }
    EXPECT_GT(checked, 0);
}

} // namespace
} // namespace razeziruzer
