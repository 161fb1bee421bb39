#pragma once
// The generic nearest-neighbour-chain clustering on explicit centroids: every
// node keeps a lazily refreshed candidate among the active nodes with smaller
// ids, and a min-heap of the candidates' distances gives the closest pair.

#include <cstddef>
#include <vector>

namespace razeziruzer::fastcluster {

struct Merge {
    std::size_t a = 0;
    std::size_t b = 0;
    double distance = 0;  // Euclidean, between the two centroids
    std::size_t size = 0;
};

// n >= 2 and d >= 1. Throws NanError for a NaN distance, std::bad_alloc when
// memory runs out. The merges come in the order they were made.
std::vector<Merge> centroidLinkage(const double* points, std::size_t n, std::size_t d);

} // namespace razeziruzer::fastcluster
