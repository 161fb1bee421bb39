#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/CentroidDissimilarity.hpp"

#include <cmath>

namespace razeziruzer::fastcluster {

CentroidDissimilarity::CentroidDissimilarity(const double* points, std::size_t n, std::size_t d)
    : points_(points), n_(n), d_(d), centroids_((n - 1) * d), sizes_(2 * n - 1, 0) {
    for (std::size_t i = 0; i < n; ++i) sizes_[i] = 1;
}

const double* CentroidDissimilarity::row(std::size_t id) const {
    return id < n_ ? points_ + id * d_ : centroids_.data() + (id - n_) * d_;
}

double CentroidDissimilarity::sqeuclideanExtended(std::size_t i, std::size_t j) const {
    const double* x = row(i);
    const double* y = row(j);
    double sum = 0.0;
    for (std::size_t k = 0; k < d_; ++k) {
        const double difference = x[k] - y[k];
        sum += difference * difference;
    }
    if (std::isnan(sum)) throw NanError();
    return sum;
}

void CentroidDissimilarity::sqeuclideanExtended4(std::size_t i, const std::size_t (&js)[4], double (&out)[4]) const {
    const double* x = row(i);
    const double* y0 = row(js[0]);
    const double* y1 = row(js[1]);
    const double* y2 = row(js[2]);
    const double* y3 = row(js[3]);
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    for (std::size_t k = 0; k < d_; ++k) {
        const double v = x[k];
        const double d0 = v - y0[k], d1 = v - y1[k], d2 = v - y2[k], d3 = v - y3[k];
        s0 += d0 * d0;
        s1 += d1 * d1;
        s2 += d2 * d2;
        s3 += d3 * d3;
    }
    if (std::isnan(s0) || std::isnan(s1) || std::isnan(s2) || std::isnan(s3)) throw NanError();
    out[0] = s0;
    out[1] = s1;
    out[2] = s2;
    out[3] = s3;
}

void CentroidDissimilarity::merge(std::size_t a, std::size_t b, std::size_t target) {
    const double* x = row(a);
    const double* y = row(b);
    const auto sizeA = static_cast<double>(sizes_[a]);
    const auto sizeB = static_cast<double>(sizes_[b]);
    double* out = centroids_.data() + (target - n_) * d_;
    for (std::size_t k = 0; k < d_; ++k) out[k] = (x[k] * sizeA + y[k] * sizeB) / (sizeA + sizeB);
    sizes_[target] = sizes_[a] + sizes_[b];
}

} // namespace razeziruzer::fastcluster
