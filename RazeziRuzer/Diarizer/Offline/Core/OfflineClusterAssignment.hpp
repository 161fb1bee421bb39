#pragma once
// The steps between clustering and reconstruction: which embeddings train the
// clustering, one centroid per speaker, each embedding's speaker, the
// per-window speaker table and the public per-embedding records.

#include "RazeziRuzer/Diarizer/Core/ChunkEmbedding.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/SegmentationOutput.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/TimedEmbedding.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/VBxOutput.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <cstdint>
#include <vector>

namespace razeziruzer::OfflineClusterAssignment {

using Rows = std::vector<std::vector<double>>;

// Indices of the embeddings without NaN or infinite values; all of them when
// every embedding has one.
std::vector<std::size_t> selectTrainingEmbeddings(const std::vector<TimedEmbedding>& timedEmbeddings);

// The k-means centres after a forced count, else the responsibility-weighted
// means of the VBx speakers with weight above 1e-7, else the label means.
Rows computeCentroids(const Rows& trainingEmbeddings, const VBxOutput& vbxOutput,
                      const std::vector<std::int64_t>& initialClusters);

// Means per label, in ascending label order; empty on a count mismatch.
Rows computeCentroidsFromClusters(const Rows& embeddings, const std::vector<std::int64_t>& clusters);

// The most cosine-similar centroid of each row; ties go to the lower index.
std::vector<std::int64_t> assignEmbeddings(const Rows& embeddingFeatures, const Rows& centroids);

// Per window and local speaker, its cluster index, or -2 where none.
std::vector<std::vector<std::int64_t>> buildChunkAssignments(const SegmentationOutput& segmentation,
                                                             const std::vector<TimedEmbedding>& timedEmbeddings,
                                                             const std::vector<std::int64_t>& assignments,
                                                             std::int64_t clusterCount);

// Empty, with a warning, when the two counts differ.
std::vector<ChunkEmbedding> buildPublicChunkEmbeddings(const std::vector<TimedEmbedding>& timedEmbeddings,
                                                       const std::vector<std::int64_t>& assignments,
                                                       const AppLogger& logger);

} // namespace razeziruzer::OfflineClusterAssignment
