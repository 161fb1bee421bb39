#pragma once
// The outcome of VBx refinement, and of the k-means re-clustering that
// replaces its labels when the speaker count breaks the constraints.

#include <cstdint>
#include <optional>
#include <vector>

namespace razeziruzer {

struct VBxOutput {
    std::vector<std::vector<double>> gamma;  // training embedding x speaker
    std::vector<double> pi;
    std::vector<std::vector<std::int64_t>> hardClusters;  // one row of labels
    std::vector<std::vector<double>> centroids;           // only after an adjustment
    std::int64_t numClusters = 0;
    std::vector<double> elbos;
    bool wasAdjusted = false;
    std::optional<std::int64_t> originalClusterCount;
};

} // namespace razeziruzer
