#include "RazeziRuzer/Diarizer/Offline/Core/OfflineClusterAssignment.hpp"

#include "Platform/Core/Logger.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace razeziruzer {
namespace {

namespace A = OfflineClusterAssignment;
using Rows = A::Rows;
using Labels = std::vector<std::int64_t>;

TimedEmbedding embedding(std::vector<float> values, std::int64_t chunk = 0, std::int64_t speaker = 0) {
    TimedEmbedding e;
    e.chunkIndex = chunk;
    e.speakerIndex = speaker;
    e.embedding256 = std::move(values);
    return e;
}

TEST(OfflineClusterAssignmentTests, TrainingSelectionDropsNonFiniteEmbeddings) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    using Indices = std::vector<std::size_t>;
    EXPECT_EQ(A::selectTrainingEmbeddings({embedding({1}), embedding({nan}), embedding({}), embedding({-inf})}),
              (Indices{0, 2}));
    EXPECT_EQ(A::selectTrainingEmbeddings({embedding({nan}), embedding({inf})}), (Indices{0, 1}));
    EXPECT_EQ(A::selectTrainingEmbeddings({embedding({1}), embedding({2})}), (Indices{0, 1}));
    EXPECT_TRUE(A::selectTrainingEmbeddings({}).empty());
}

TEST(OfflineClusterAssignmentTests, CentroidsFromLabelsFollowLabelOrder) {
    EXPECT_EQ(A::computeCentroidsFromClusters({{1, 1}, {4, 0}, {3, 5}}, {5, 2, 5}), (Rows{{4, 0}, {2, 3}}));
    EXPECT_TRUE(A::computeCentroidsFromClusters({{1}}, {0, 1}).empty());
}

TEST(OfflineClusterAssignmentTests, CentroidSources) {
    const Rows training{{1, 0}, {0, 2}, {3, 0}};
    VBxOutput vbx;
    vbx.gamma = {{1.0, 0.0, 0.0}, {0.0, 0.0, 1.0}, {0.5, 0.0, 0.0}};
    vbx.pi = {0.6, 0.00000005, 0.4};
    // Speakers 0 and 2 are active; speaker 0 weighs rows 0 and 2 by 1 and 0.5.
    const auto weighted = A::computeCentroids(training, vbx, {0, 1, 0});
    ASSERT_EQ(weighted.size(), 2u);
    EXPECT_NEAR(weighted[0][0], 2.5 / 1.5, 1e-15);
    EXPECT_EQ(weighted[0][1], 0.0);
    EXPECT_EQ(weighted[1], (std::vector<double>{0, 2}));

    vbx.pi = {0.6, 0.2, 0.2};
    // An active speaker with no responsibility gets a zero centroid.
    EXPECT_EQ(A::computeCentroids(training, vbx, {0, 1, 0})[1], (std::vector<double>{0, 0}));

    auto adjusted = vbx;
    adjusted.wasAdjusted = true;
    adjusted.centroids = {{9, 9}, {8, 8}, {7, 7}};
    EXPECT_EQ(A::computeCentroids(training, adjusted, {0, 1, 0}), adjusted.centroids);

    EXPECT_EQ(A::computeCentroids(training, VBxOutput{}, {1, 0, 1}), (Rows{{0, 2}, {2, 0}}));
    EXPECT_TRUE(A::computeCentroids({}, vbx, {}).empty());
}

TEST(OfflineClusterAssignmentTests, AssignmentByCosineWithTiesToTheLowerIndex) {
    const Rows centroids{{1, 0}, {0, 1}, {0, 0}};
    EXPECT_EQ(A::assignEmbeddings({{5, 1}, {0.1, 3}, {1, 1}, {-1, -1}}, centroids), (Labels{0, 1, 0, 2}));
    EXPECT_EQ(A::assignEmbeddings({{1, 2}, {3, 4}}, {}), (Labels{0, 0}));
    EXPECT_TRUE(A::assignEmbeddings({}, centroids).empty());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(A::assignEmbeddings({{nan, 1}}, {{1, 0}, {0, 1}}), Labels{0});
}

TEST(OfflineClusterAssignmentTests, ChunkTableKeepsUnassignedSpeakers) {
    SegmentationOutput seg;
    seg.numChunks = 2;
    seg.numSpeakers = 3;
    const std::vector<TimedEmbedding> embeddings{embedding({}, 0, 1), embedding({}, 1, 0), embedding({}, 1, 2),
                                                 embedding({}, 5, 0), embedding({}, 0, 1)};
    // The second embedding's cluster equals the count and is not written;
    // the last one overwrites the first.
    const auto table = A::buildChunkAssignments(seg, embeddings, {0, 2, 1, 1, 1}, 2);
    EXPECT_EQ(table, (std::vector<Labels>{{-2, 1, -2}, {-2, -2, 1}}));
}

TEST(OfflineClusterAssignmentTests, PublicRecords) {
    platform::ScopedLogCapture capture;
    const AppLogger logger("OfflineDiarizer");
    auto e = embedding({0.5f}, 3, 1);
    e.startTime = 1.25;
    e.endTime = 2.5;
    e.rho128 = {0.1};
    const auto records = A::buildPublicChunkEmbeddings({e}, {0}, logger);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], (ChunkEmbedding{"S1", 3, 1, 1.25, 2.5, {0.5f}, {0.1}}));
    EXPECT_TRUE(A::buildPublicChunkEmbeddings(std::vector<TimedEmbedding>(10, e), Labels(9, 0), logger).empty());
    EXPECT_TRUE(capture.contains(
        "buildPublicChunkEmbeddings: timedEmbeddings.count (10) != assignments.count (9); chunkEmbeddings will be empty"));
}

} // namespace
} // namespace razeziruzer
