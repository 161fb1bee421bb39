#pragma once
// First grouping of speaker embeddings: centroid-linkage clustering of the
// unit-length embeddings, cut at the distance that matches a cosine
// similarity threshold.

#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <cstdint>
#include <vector>

namespace razeziruzer {

struct AHCClustering {
    AppLogger logger{"OfflineAHC"};

    // One label per row, numbered 0, 1, ... in order of first appearance.
    // Every row must be as long as the first. Throws OfflineDiarizationError
    // (processingFailed) when the linkage cannot be computed, for example for
    // a NaN value.
    std::vector<std::int64_t> cluster(const std::vector<std::vector<double>>& embeddingFeatures,
                                      double threshold) const;

    // The Euclidean distance between unit vectors with cosine similarity
    // `threshold` (clamped to [-1, 1]); NaN gives +inf.
    double convertThresholdToDistance(double threshold) const;
};

} // namespace razeziruzer
