#pragma once
// Stateless functions on speaker embeddings: cosine distance, quality checks,
// the two-threshold assignment decision, validated speaker creation, moving
// average updates and upkeep of bounded raw-embedding lists. Nothing throws:
// unusable input yields +infinity, false, a failure or no result, with a log line.

#include "RazeziRuzer/Diarizer/Clustering/Speaker.hpp"

#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace razeziruzer::SpeakerUtilities {

struct AssignmentConfig {
    float maxDistanceForAssignment = 0.65f;
    float maxDistanceForUpdate = 0.45f;
    float minSpeakerDuration = 4.0f;  // seconds
    float minSegmentDuration = 1.0f;  // seconds

    static AssignmentConfig macOS() { return {0.65f, 0.45f, 4.0f, 1.0f}; }
    static AssignmentConfig iOS() { return {0.55f, 0.45f, 4.0f, 1.0f}; }
    static AssignmentConfig current() { return macOS(); }
};

struct AssignmentDecision {
    bool shouldAssign = false;
    bool shouldUpdate = false;
    float confidence = 0;
    std::string reason;
};

struct SpeakerCreationParams {
    std::string id;
    std::string name;
    float duration = 0;
    std::vector<float> embedding;
    SpeakerTimestamp createdAt;
    SpeakerTimestamp updatedAt;
};

struct SpeakerCreationFailure {
    std::string reason;
};

using SpeakerCreationResult = std::variant<SpeakerCreationParams, SpeakerCreationFailure>;

struct SpeakerUpdateResult {
    std::optional<std::vector<float>> updatedMainEmbedding;
    std::vector<RawEmbedding> updatedRawEmbeddings;
    float updatedDuration = 0;
    bool shouldRecalculate = false;
};

struct ClosestSpeaker {
    std::optional<Speaker> speaker;
    float distance = 0;
};

struct RawEmbeddingsUpdate {
    std::vector<RawEmbedding> updated;
    bool shouldRecalculate = false;
};

struct RawEmbeddingRemoval {
    std::vector<RawEmbedding> updated;
    std::optional<RawEmbedding> removed;
    bool shouldRecalculate = false;
};

struct MergedSpeakers {
    std::vector<RawEmbedding> mergedRaw;
    float mergedDuration = 0;
    std::optional<std::vector<float>> newMainEmbedding;
};

// 0 ... 2, or +infinity for embeddings that cannot be compared.
float cosineDistance(std::span<const float> a, std::span<const float> b);
bool validateEmbedding(std::span<const float> embedding, float minMagnitude = 0.1f);
AssignmentDecision shouldAssignSpeaker(float distance, float duration, const AssignmentConfig& config);
// The earliest of equally close candidates wins; none at +infinity.
ClosestSpeaker findClosestSpeaker(std::span<const float> embedding, const std::vector<Speaker>& candidates);
SpeakerCreationResult validateSpeakerCreation(const std::string& id, const std::optional<std::string>& name,
                                              float duration, std::span<const float> embedding,
                                              const AssignmentConfig& config);
std::optional<Speaker> createSpeaker(const std::string& id, const std::optional<std::string>& name, float duration,
                                     std::span<const float> embedding, const AssignmentConfig& config);
// alpha is the weight the old embedding keeps.
std::optional<std::vector<float>> updateEmbedding(std::span<const float> current, std::span<const float> newEmbedding,
                                                  float alpha);
std::optional<RawEmbeddingsUpdate> addRawEmbedding(const std::vector<RawEmbedding>& to, platform::Uuid segmentId,
                                                   std::span<const float> embedding, SpeakerTimestamp timestamp,
                                                   std::size_t maxCapacity);
RawEmbeddingRemoval removeRawEmbedding(const std::vector<RawEmbedding>& from, const platform::Uuid& segmentId);
std::optional<SpeakerUpdateResult> updateSpeakerWithSegment(std::span<const float> currentMainEmbedding,
                                                            const std::vector<RawEmbedding>& currentRawEmbeddings,
                                                            float currentDuration, float segmentDuration,
                                                            std::span<const float> segmentEmbedding,
                                                            platform::Uuid segmentId, float alpha,
                                                            float minSegmentDuration);
// Keeps the newest maxCapacity entries, oldest first, so that later additions
// evict the oldest.
MergedSpeakers mergeSpeakers(const std::vector<RawEmbedding>& speaker1Raw, float speaker1Duration,
                             const std::vector<RawEmbedding>& speaker2Raw, float speaker2Duration,
                             std::size_t maxCapacity);
std::optional<std::vector<float>> averageEmbeddings(const std::vector<std::vector<float>>& embeddings);

// Shortest text that reads back to the value, with at least one decimal ("4.0").
std::string formatFloat(float value);

} // namespace razeziruzer::SpeakerUtilities
