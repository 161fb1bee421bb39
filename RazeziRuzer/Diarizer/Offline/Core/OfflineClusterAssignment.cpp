#include "RazeziRuzer/Diarizer/Offline/Core/OfflineClusterAssignment.hpp"

#include "Platform/Accel/Blas.hpp"
#include "Platform/Accel/VectorOps.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace razeziruzer::OfflineClusterAssignment {
namespace {

constexpr double activeSpeakerWeight = 1e-7;

std::vector<double> unitLength(std::vector<double> row) {
    const double squares = platform::accel::dot(std::span<const double>(row), std::span<const double>(row));
    if (squares > 0) platform::accel::scale(row, 1.0 / std::sqrt(squares), row);
    return row;
}

Rows weightedCentroids(const Rows& training, const VBxOutput& vbx, const std::vector<std::size_t>& speakers) {
    const std::size_t d = training.front().size();
    const std::size_t rows = std::min(training.size(), vbx.gamma.size());
    Rows centroids;
    for (const auto s : speakers) {
        double weightSum = 0;
        std::vector<double> sum(d, 0.0);
        for (std::size_t t = 0; t < rows; ++t) {
            const double w = s < vbx.gamma[t].size() ? vbx.gamma[t][s] : 0.0;
            if (!(w > 0) || training[t].size() != d) continue;
            weightSum += w;
            platform::accel::daxpy(w, training[t], sum);
        }
        if (weightSum > 0) {
            platform::accel::scale(sum, 1.0 / weightSum, sum);
        } else {
            std::fill(sum.begin(), sum.end(), 0.0);
        }
        centroids.push_back(std::move(sum));
    }
    return centroids;
}

} // namespace

std::vector<std::size_t> selectTrainingEmbeddings(const std::vector<TimedEmbedding>& timedEmbeddings) {
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < timedEmbeddings.size(); ++i) {
        const auto& values = timedEmbeddings[i].embedding256;
        if (std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); })) kept.push_back(i);
    }
    if (kept.empty()) {
        for (std::size_t i = 0; i < timedEmbeddings.size(); ++i) kept.push_back(i);
    }
    return kept;
}

Rows computeCentroids(const Rows& trainingEmbeddings, const VBxOutput& vbxOutput,
                      const std::vector<std::int64_t>& initialClusters) {
    if (trainingEmbeddings.empty()) return {};
    if (vbxOutput.wasAdjusted && !vbxOutput.centroids.empty()) return vbxOutput.centroids;
    if (!vbxOutput.gamma.empty() && !vbxOutput.pi.empty()) {
        std::vector<std::size_t> active;
        for (std::size_t s = 0; s < vbxOutput.pi.size(); ++s) {
            if (vbxOutput.pi[s] > activeSpeakerWeight) active.push_back(s);
        }
        if (!active.empty()) return weightedCentroids(trainingEmbeddings, vbxOutput, active);
    }
    return computeCentroidsFromClusters(trainingEmbeddings, initialClusters);
}

Rows computeCentroidsFromClusters(const Rows& embeddings, const std::vector<std::int64_t>& clusters) {
    if (embeddings.empty() || embeddings.size() != clusters.size()) return {};
    std::map<std::int64_t, std::pair<std::vector<double>, double>> sums;
    for (std::size_t i = 0; i < embeddings.size(); ++i) {
        auto [it, added] = sums.try_emplace(clusters[i], std::vector<double>(embeddings[i].size(), 0.0), 0.0);
        auto& [sum, count] = it->second;
        if (sum.size() != embeddings[i].size()) continue;
        platform::accel::daxpy(1.0, embeddings[i], sum);
        count += 1;
    }
    Rows centroids;
    for (auto& [label, entry] : sums) {
        auto& [sum, count] = entry;
        for (double& v : sum) v /= count;
        centroids.push_back(std::move(sum));
    }
    return centroids;
}

std::vector<std::int64_t> assignEmbeddings(const Rows& embeddingFeatures, const Rows& centroids) {
    if (embeddingFeatures.empty()) return {};
    if (centroids.empty()) return std::vector<std::int64_t>(embeddingFeatures.size(), 0);
    Rows units;
    for (const auto& c : centroids) units.push_back(unitLength(c));
    std::vector<std::int64_t> assignments;
    for (const auto& row : embeddingFeatures) {
        const auto unit = unitLength(row);
        double best = -std::numeric_limits<double>::infinity();
        std::int64_t bestIndex = 0;
        for (std::size_t k = 0; k < units.size(); ++k) {
            const double score = (!unit.empty() && unit.size() == units[k].size())
                                     ? platform::accel::dot(std::span<const double>(unit), std::span<const double>(units[k]))
                                     : 0.0;
            if (score > best) {
                best = score;
                bestIndex = static_cast<std::int64_t>(k);
            }
        }
        assignments.push_back(bestIndex);
    }
    return assignments;
}

std::vector<std::vector<std::int64_t>> buildChunkAssignments(const SegmentationOutput& segmentation,
                                                             const std::vector<TimedEmbedding>& timedEmbeddings,
                                                             const std::vector<std::int64_t>& assignments,
                                                             std::int64_t clusterCount) {
    const auto chunks = static_cast<std::size_t>(std::max<std::int64_t>(0, segmentation.numChunks));
    const auto speakers = static_cast<std::size_t>(std::max<std::int64_t>(0, segmentation.numSpeakers));
    std::vector<std::vector<std::int64_t>> table(chunks, std::vector<std::int64_t>(speakers, -2));
    for (std::size_t i = 0; i < std::min(timedEmbeddings.size(), assignments.size()); ++i) {
        const auto c = timedEmbeddings[i].chunkIndex;
        const auto s = timedEmbeddings[i].speakerIndex;
        const auto k = assignments[i];
        if (c < 0 || c >= segmentation.numChunks || s < 0 || s >= segmentation.numSpeakers || k < 0 ||
            k >= clusterCount) {
            continue;
        }
        table[static_cast<std::size_t>(c)][static_cast<std::size_t>(s)] = k;
    }
    return table;
}

std::vector<ChunkEmbedding> buildPublicChunkEmbeddings(const std::vector<TimedEmbedding>& timedEmbeddings,
                                                       const std::vector<std::int64_t>& assignments,
                                                       const AppLogger& logger) {
    if (timedEmbeddings.size() != assignments.size()) {
        logger.warning("buildPublicChunkEmbeddings: timedEmbeddings.count (" + std::to_string(timedEmbeddings.size()) +
                       ") != assignments.count (" + std::to_string(assignments.size()) +
                       "); chunkEmbeddings will be empty");
        return {};
    }
    std::vector<ChunkEmbedding> records;
    for (std::size_t i = 0; i < timedEmbeddings.size(); ++i) {
        const auto& e = timedEmbeddings[i];
        records.push_back({"S" + std::to_string(assignments[i] + 1), e.chunkIndex, e.speakerIndex, e.startTime,
                           e.endTime, e.embedding256, e.rho128});
    }
    return records;
}

} // namespace razeziruzer::OfflineClusterAssignment
