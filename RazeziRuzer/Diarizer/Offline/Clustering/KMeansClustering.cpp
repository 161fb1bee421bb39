#include "RazeziRuzer/Diarizer/Offline/Clustering/KMeansClustering.hpp"

#include "RazeziRuzer/Diarizer/Offline/Clustering/SeededRNG.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace razeziruzer::KMeansClustering {
namespace {

using Rows = std::vector<std::vector<double>>;

constexpr std::int64_t slowConvergenceIteration = 81;

Rows normalizeEmbeddings(const Rows& rows) {
    Rows normalized = rows;
    for (auto& row : normalized) {
        double sum = 0;
        for (const double v : row) sum += v * v;
        const double norm = std::sqrt(sum);
        if (norm > 1e-10) {
            for (double& v : row) v /= norm;
        }
    }
    return normalized;
}

std::vector<std::int64_t> assignToCentroids(const Rows& rows, const Rows& centroids) {
    std::vector<std::int64_t> assignments;
    assignments.reserve(rows.size());
    for (const auto& row : rows) {
        double best = std::numeric_limits<double>::max();
        std::int64_t bestIndex = 0;
        for (std::size_t c = 0; c < centroids.size(); ++c) {
            double distance = std::numeric_limits<double>::max();
            if (centroids[c].size() == row.size()) {
                distance = 0;
                for (std::size_t k = 0; k < row.size(); ++k) {
                    const double difference = row[k] - centroids[c][k];
                    distance += difference * difference;
                }
            }
            if (distance < best) {
                best = distance;
                bestIndex = static_cast<std::int64_t>(c);
            }
        }
        assignments.push_back(bestIndex);
    }
    return assignments;
}

// Cluster means; an emptied cluster restarts from a row drawn at random.
Rows updateCentroids(const Rows& rows, const std::vector<std::int64_t>& assignments, std::size_t k,
                     std::size_t dimension, SeededRNG& rng) {
    Rows sums(k, std::vector<double>(dimension, 0.0));
    std::vector<std::size_t> counts(k, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto cluster = static_cast<std::size_t>(assignments[i]);
        for (std::size_t j = 0; j < std::min(dimension, rows[i].size()); ++j) sums[cluster][j] += rows[i][j];
        ++counts[cluster];
    }
    for (std::size_t c = 0; c < k; ++c) {
        if (counts[c] == 0) {
            sums[c] = rows[static_cast<std::size_t>(rng.uniform(rows.size()))];
            continue;
        }
        const double scale = 1.0 / static_cast<double>(counts[c]);
        for (double& v : sums[c]) v *= scale;
    }
    return sums;
}

std::uint64_t secureSeed() {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) | device();
}

} // namespace

KMeansResult clusterWithCentroids(const Rows& embeddings, std::int64_t numClusters, std::int64_t maxIterations,
                                  std::optional<std::uint64_t> seed) {
    const std::size_t n = embeddings.size();
    if (n == 0) return {};
    const std::size_t d = embeddings.front().size();
    if (d == 0 || numClusters <= 0) return {std::vector<std::int64_t>(n, 0), {}};
    if (static_cast<std::uint64_t>(numClusters) >= n) {
        std::vector<std::int64_t> own(n);
        std::iota(own.begin(), own.end(), 0);
        return {own, embeddings};
    }
    const auto k = static_cast<std::size_t>(numClusters);
    SeededRNG rng(seed ? *seed : secureSeed());
    const auto rows = normalizeEmbeddings(embeddings);

    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    rng.shuffle(order);
    Rows centroids;
    for (std::size_t c = 0; c < k; ++c) centroids.push_back(rows[order[c]]);

    const AppLogger logger("KMeansClustering");
    std::vector<std::int64_t> assignments(n, 0);
    for (std::int64_t iteration = 1; iteration <= maxIterations; ++iteration) {
        auto next = assignToCentroids(rows, centroids);
        if (next == assignments) break;
        centroids = updateCentroids(rows, next, k, d, rng);
        assignments = std::move(next);
        if (iteration > slowConvergenceIteration) {
            logger.warning("K-Means slow convergence at iteration " + std::to_string(iteration));
        }
    }
    return {assignments, centroids};
}

} // namespace razeziruzer::KMeansClustering
