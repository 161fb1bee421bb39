#pragma once
// Squared Euclidean distances between input points and the clusters made so
// far, whose centroids are stored explicitly (never derived by an update rule).

#include <cstddef>
#include <stdexcept>
#include <vector>

namespace razeziruzer::fastcluster {

// A distance that came out NaN; it stops the clustering.
struct NanError : std::runtime_error {
    NanError() : std::runtime_error("NaN dissimilarity") {}
};

class CentroidDissimilarity {
public:
    // Reads the points in place; they must outlive this object.
    CentroidDissimilarity(const double* points, std::size_t n, std::size_t d);

    // Throws NanError for a NaN result.
    double sqeuclideanExtended(std::size_t i, std::size_t j) const;
    // The same for four nodes at once: four independent sums, each still
    // accumulated in coordinate order, so every result equals the single form.
    void sqeuclideanExtended4(std::size_t i, const std::size_t (&js)[4], double (&out)[4]) const;
    // Makes cluster `target` (an id >= n) the weighted mean of a and b.
    void merge(std::size_t a, std::size_t b, std::size_t target);
    std::size_t size(std::size_t id) const { return sizes_[id]; }

private:
    const double* row(std::size_t id) const;

    const double* points_;
    std::size_t n_;
    std::size_t d_;
    std::vector<double> centroids_;
    std::vector<std::size_t> sizes_;
};

} // namespace razeziruzer::fastcluster
