#include "RazeziRuzer/Diarizer/Offline/Clustering/AHCClustering.hpp"

#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/FastClusterWrapper.h"
#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"
#include "RazeziRuzer/Shared/DoubleText.hpp"
#include "Platform/Accel/VectorOps.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <span>

namespace razeziruzer {
namespace {

std::vector<double> unitRows(const std::vector<std::vector<double>>& rows, std::size_t dimension) {
    std::vector<double> flat(rows.size() * dimension, 0.0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::span<const double> row(rows[i].data(), dimension);
        const double dot = platform::accel::dot(row, row);
        const double scale = dot > 0 ? 1.0 / std::sqrt(dot) : 0.0;
        for (std::size_t k = 0; k < dimension; ++k) flat[i * dimension + k] = row[k] * scale;
    }
    return flat;
}

// Cuts the dendrogram: every highest node at or below the threshold becomes
// one cluster, whatever the heights inside it.
std::vector<std::int64_t> assignmentsFromDendrogram(const std::vector<double>& linkage, std::size_t n,
                                                    double distanceThreshold) {
    std::vector<std::int64_t> labels(n, -1);
    std::int64_t next = 0;
    const auto childrenOf = [&](std::size_t node) {
        const double* row = linkage.data() + 4 * (node - n);
        return std::pair{static_cast<std::size_t>(row[0]), static_cast<std::size_t>(row[1])};
    };
    const auto labelSubtree = [&](std::size_t top, std::int64_t label) {
        std::vector<std::size_t> stack{top};
        while (!stack.empty()) {
            const std::size_t node = stack.back();
            stack.pop_back();
            if (node < n) {
                labels[node] = label;
            } else {
                const auto [left, right] = childrenOf(node);
                stack.push_back(left);
                stack.push_back(right);
            }
        }
    };
    std::vector<std::size_t> stack{2 * n - 2};
    while (!stack.empty()) {
        const std::size_t node = stack.back();
        stack.pop_back();
        if (node < n) {
            if (labels[node] < 0) labels[node] = next++;
        } else if (linkage[4 * (node - n) + 2] <= distanceThreshold) {
            labelSubtree(node, next++);
        } else {
            const auto [left, right] = childrenOf(node);
            stack.push_back(left);
            stack.push_back(right);
        }
    }
    for (auto& label : labels) {
        if (label < 0) label = next++;
    }
    return labels;
}

std::vector<std::int64_t> remapClusterIds(const std::vector<std::int64_t>& labels) {
    std::map<std::int64_t, std::int64_t> numbers;
    std::vector<std::int64_t> remapped;
    remapped.reserve(labels.size());
    for (const auto label : labels) {
        const auto [it, added] = numbers.try_emplace(label, static_cast<std::int64_t>(numbers.size()));
        remapped.push_back(it->second);
    }
    return remapped;
}

} // namespace

double AHCClustering::convertThresholdToDistance(double threshold) const {
    if (std::isnan(threshold)) return std::numeric_limits<double>::infinity();
    if (std::abs(threshold) > 1) {
        logger.debug("Clustering threshold " + doubleText(threshold) + " outside cosine range; clamping to [-1, 1]");
    }
    const double t = std::clamp(threshold, -1.0, 1.0);
    return t < 1 ? std::sqrt(2.0 - 2.0 * t) : 0.0;
}

std::vector<std::int64_t> AHCClustering::cluster(const std::vector<std::vector<double>>& embeddingFeatures,
                                                 double threshold) const {
    const std::size_t n = embeddingFeatures.size();
    if (n == 0) return {};
    const std::size_t d = embeddingFeatures.front().size();
    if (d == 0) return std::vector<std::int64_t>(n, 0);
    if (n == 1) return {0};
    for (const auto& row : embeddingFeatures) {
        if (row.size() != d) {
            throw OfflineDiarizationError::processingFailed("embeddings of unequal length cannot be clustered");
        }
    }
    const auto normalized = unitRows(embeddingFeatures, d);
    std::vector<double> linkage(4 * (n - 1), 0.0);
    const auto status = fastcluster_compute_centroid_linkage(normalized.data(), n, d, linkage.data(), linkage.size());
    if (status != FASTCLUSTER_WRAPPER_SUCCESS) {
        // Falling back to one cluster per embedding would pass a broken
        // clustering off as a result; the caller decides what to do.
        const auto message = "fastcluster failed with status " + std::to_string(status);
        logger.error(message);
        throw OfflineDiarizationError::processingFailed(message);
    }
    return remapClusterIds(assignmentsFromDendrogram(linkage, n, convertThresholdToDistance(threshold)));
}

} // namespace razeziruzer
