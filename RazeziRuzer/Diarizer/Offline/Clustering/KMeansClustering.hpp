#pragma once
// K-means over unit-length embeddings, used to force a speaker count that
// the caller imposed when VBx finds another one.

#include <cstdint>
#include <optional>
#include <vector>

namespace razeziruzer {

struct KMeansResult {
    std::vector<std::int64_t> clusters;         // one per row
    std::vector<std::vector<double>> centroids;  // in the unit-length space
};

namespace KMeansClustering {

// Without a seed the generator starts from the system's secure random source.
// Fewer rows than clusters give every row its own cluster and the rows as
// centroids; no rows, empty rows or a non-positive count give all zeros and
// no centroids.
KMeansResult clusterWithCentroids(const std::vector<std::vector<double>>& embeddings, std::int64_t numClusters,
                                  std::int64_t maxIterations, std::optional<std::uint64_t> seed);

} // namespace KMeansClustering
} // namespace razeziruzer
