#include "RazeziRuzer/Diarizer/Clustering/SpeakerUtilities.hpp"

#include "Platform/Accel/VectorOps.hpp"
#include "RazeziRuzer/Diarizer/Offline/Utils/VDSPOperations.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace razeziruzer::SpeakerUtilities {
namespace {

constexpr float infinity = std::numeric_limits<float>::infinity();

const AppLogger& logger() {
    static const AppLogger shared("SpeakerUtilities");
    return shared;
}

} // namespace

std::string formatFloat(float value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, error == std::errc() ? end : buffer);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

float cosineDistance(std::span<const float> a, std::span<const float> b) {
    if (a.empty() || b.empty() || a.size() != b.size()) {
        logger().error("Invalid embeddings: a.count=" + std::to_string(a.size()) +
                       ", b.count=" + std::to_string(b.size()));
        return infinity;
    }
    const float dot = platform::accel::dot(a, b);
    const float sa = platform::accel::sumOfSquares(a);
    const float sb = platform::accel::sumOfSquares(b);
    if (sa <= 0 || sb <= 0) {
        logger().warning("Zero magnitude embedding detected");
        return infinity;
    }
    float similarity = dot;
    if (!(std::abs(sa - 1) <= 0.001f && std::abs(sb - 1) <= 0.001f)) {
        const float na = std::sqrt(sa);
        const float nb = std::sqrt(sb);
        if (!(na > 0) || !(nb > 0)) {
            logger().warning("Zero magnitude after normalization guard");
            return infinity;
        }
        similarity = dot / (na * nb);
    }
    if (similarity <= -1) return 2;
    return 1 - std::min(similarity, 1.0f);
}

bool validateEmbedding(std::span<const float> embedding, float minMagnitude) {
    if (embedding.empty()) {
        logger().error("Empty embedding");
        return false;
    }
    const float magnitude = std::sqrt(platform::accel::sumOfSquares(embedding));
    if (magnitude <= minMagnitude || std::isnan(magnitude)) {
        logger().warning("Low magnitude embedding: " + formatFloat(magnitude));
        return false;
    }
    if (!std::all_of(embedding.begin(), embedding.end(), [](float v) { return std::isfinite(v); })) {
        logger().error("Embedding contains NaN or Inf");
        return false;
    }
    return true;
}

AssignmentDecision shouldAssignSpeaker(float distance, float duration, const AssignmentConfig& config) {
    const float confidence = 1 - distance;
    if (distance < 0.2f) {
        return {true, duration >= config.minSpeakerDuration, confidence, "Very high confidence match"};
    }
    if (distance < config.maxDistanceForAssignment && duration >= config.minSegmentDuration) {
        return {true, duration >= config.minSpeakerDuration && distance <= config.maxDistanceForUpdate, confidence,
                "Sufficient confidence and duration"};
    }
    return {false, false, confidence,
            distance >= config.maxDistanceForAssignment ? "Distance too far" : "Duration too short"};
}

ClosestSpeaker findClosestSpeaker(std::span<const float> embedding, const std::vector<Speaker>& candidates) {
    const Speaker* best = nullptr;
    float bestDistance = infinity;
    for (const auto& candidate : candidates) {
        const float distance = cosineDistance(embedding, candidate.currentEmbedding);
        if (distance < bestDistance) {
            best = &candidate;
            bestDistance = distance;
        }
    }
    if (!best) return {std::nullopt, infinity};
    return {*best, bestDistance};
}

SpeakerCreationResult validateSpeakerCreation(const std::string& id, const std::optional<std::string>& name,
                                              float duration, std::span<const float> embedding,
                                              const AssignmentConfig& config) {
    if (!(duration >= config.minSpeakerDuration)) {
        return SpeakerCreationFailure{"Duration " + formatFloat(duration) + " < minimum " +
                                      formatFloat(config.minSpeakerDuration)};
    }
    if (!validateEmbedding(embedding, 0.1f)) return SpeakerCreationFailure{"Invalid embedding: failed quality checks"};
    const auto createdAt = std::chrono::system_clock::now();
    const auto updatedAt = std::chrono::system_clock::now();
    return SpeakerCreationParams{id, name.value_or("Speaker " + id), duration, VDSPOperations::l2Normalize(embedding),
                                 createdAt, updatedAt};
}

std::optional<Speaker> createSpeaker(const std::string& id, const std::optional<std::string>& name, float duration,
                                     std::span<const float> embedding, const AssignmentConfig& config) {
    const auto result = validateSpeakerCreation(id, name, duration, embedding, config);
    if (const auto* failure = std::get_if<SpeakerCreationFailure>(&result)) {
        logger().error("Failed to create speaker: " + failure->reason);
        return std::nullopt;
    }
    const auto& params = std::get<SpeakerCreationParams>(result);
    return Speaker(params.id, params.name, params.embedding, params.duration, params.createdAt, params.updatedAt);
}

std::optional<std::vector<float>> updateEmbedding(std::span<const float> current, std::span<const float> newEmbedding,
                                                  float alpha) {
    if (current.empty() || current.size() != newEmbedding.size() || !validateEmbedding(newEmbedding, 0.1f)) {
        logger().error("Invalid embeddings for update");
        return std::nullopt;
    }
    const auto c = VDSPOperations::l2Normalize(current);
    const auto n = VDSPOperations::l2Normalize(newEmbedding);
    std::vector<float> blended(c.size());
    for (std::size_t i = 0; i < c.size(); ++i) blended[i] = n[i] * (1 - alpha) + c[i] * alpha;
    return VDSPOperations::l2Normalize(blended);
}

std::optional<RawEmbeddingsUpdate> addRawEmbedding(const std::vector<RawEmbedding>& to, platform::Uuid segmentId,
                                                   std::span<const float> embedding, SpeakerTimestamp timestamp,
                                                   std::size_t maxCapacity) {
    if (!validateEmbedding(embedding, 0.1f)) {
        logger().warning("Invalid embedding for segment " + segmentId.toString());
        return std::nullopt;
    }
    auto updated = to;
    if (!updated.empty() && updated.size() >= maxCapacity) updated.erase(updated.begin());
    updated.emplace_back(segmentId, VDSPOperations::l2Normalize(embedding), timestamp);
    const bool recalculate = updated.size() >= 3;
    return RawEmbeddingsUpdate{std::move(updated), recalculate};
}

RawEmbeddingRemoval removeRawEmbedding(const std::vector<RawEmbedding>& from, const platform::Uuid& segmentId) {
    RawEmbeddingRemoval removal{from, std::nullopt, false};
    const auto found = std::find_if(removal.updated.begin(), removal.updated.end(),
                                    [&](const RawEmbedding& raw) { return raw.segmentId == segmentId; });
    if (found == removal.updated.end()) return removal;
    removal.removed = *found;
    removal.updated.erase(found);
    removal.shouldRecalculate = !removal.updated.empty();
    return removal;
}

std::optional<SpeakerUpdateResult> updateSpeakerWithSegment(std::span<const float> currentMainEmbedding,
                                                            const std::vector<RawEmbedding>& currentRawEmbeddings,
                                                            float currentDuration, float segmentDuration,
                                                            std::span<const float> segmentEmbedding,
                                                            platform::Uuid segmentId, float alpha,
                                                            float minSegmentDuration) {
    if (segmentDuration < minSegmentDuration) return std::nullopt;
    if (!validateEmbedding(segmentEmbedding, 0.1f)) return std::nullopt;
    const auto unit = VDSPOperations::l2Normalize(segmentEmbedding);
    auto added = addRawEmbedding(currentRawEmbeddings, segmentId, unit, std::chrono::system_clock::now(), 50);
    if (!added) return std::nullopt;
    return SpeakerUpdateResult{updateEmbedding(currentMainEmbedding, unit, alpha), std::move(added->updated),
                               currentDuration + segmentDuration, added->shouldRecalculate};
}

MergedSpeakers mergeSpeakers(const std::vector<RawEmbedding>& speaker1Raw, float speaker1Duration,
                             const std::vector<RawEmbedding>& speaker2Raw, float speaker2Duration,
                             std::size_t maxCapacity) {
    auto combined = speaker1Raw;
    combined.insert(combined.end(), speaker2Raw.begin(), speaker2Raw.end());
    if (combined.size() > maxCapacity) {
        std::stable_sort(combined.begin(), combined.end(),
                         [](const RawEmbedding& a, const RawEmbedding& b) { return a.timestamp < b.timestamp; });
        combined.erase(combined.begin(), combined.begin() + static_cast<std::ptrdiff_t>(combined.size() - maxCapacity));
    }
    std::vector<std::vector<float>> embeddings;
    for (const auto& raw : combined) embeddings.push_back(raw.embedding);
    auto main = averageEmbeddings(embeddings);
    return {std::move(combined), speaker1Duration + speaker2Duration, std::move(main)};
}

std::optional<std::vector<float>> averageEmbeddings(const std::vector<std::vector<float>>& embeddings) {
    if (embeddings.empty() || embeddings.front().empty()) return std::nullopt;
    const auto dimension = embeddings.front().size();
    std::vector<float> sum(dimension, 0.0f);
    int count = 0;
    for (const auto& embedding : embeddings) {
        if (embedding.size() != dimension) continue;
        for (std::size_t i = 0; i < dimension; ++i) sum[i] += embedding[i];
        ++count;
    }
    for (auto& value : sum) value /= static_cast<float>(count);
    return VDSPOperations::l2Normalize(sum);
}

} // namespace razeziruzer::SpeakerUtilities
