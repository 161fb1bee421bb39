#pragma once
// A speaker of the diarizer's speaker database: identity and name, the main
// embedding used for matching, the speech heard so far, and a bounded history
// of the embeddings that shaped the main one. The record's own operations are
// the only way it changes.

#include "RazeziRuzer/Diarizer/Clustering/RawEmbedding.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer {

struct SendableSpeaker;

struct Speaker {
    static constexpr std::size_t maxRawEmbeddings = 50;

    // Missing id: a fresh UUID text; missing name: the id; missing times: one
    // reading of the clock. The embedding is stored unit length and does not
    // enter the history.
    Speaker(std::optional<std::string> id, std::optional<std::string> name, std::span<const float> currentEmbedding,
            float duration = 0, std::optional<SpeakerTimestamp> createdAt = std::nullopt,
            std::optional<SpeakerTimestamp> updatedAt = std::nullopt, bool isPermanent = false);

    std::string id;
    std::string name;
    std::vector<float> currentEmbedding;
    float duration = 0;
    SpeakerTimestamp createdAt;
    SpeakerTimestamp updatedAt;
    std::int64_t updateCount = 1;
    // Oldest first; at most maxRawEmbeddings through these operations.
    std::vector<RawEmbedding> rawEmbeddings;
    bool isPermanent = false;

    // Equality is identity.
    bool operator==(const Speaker& other) const { return id == other.id; }

    // Appends a usable embedding (evicting the oldest when full) and
    // recomputes the main embedding.
    void addRawEmbedding(const RawEmbedding& raw);
    // The unit-length mean of the history entries as long as the first one.
    void recalculateMainEmbedding();
    // Adds the embedding to the history, then blends it into the main one:
    // new = u * (1 - alpha) + main * alpha, unit length.
    void updateMainEmbedding(float duration, std::span<const float> embedding, platform::Uuid segmentId,
                             float alpha);
    // Folds the other speaker's history, duration and update count into this one.
    void mergeWith(const Speaker& other, std::optional<std::string> keepName = std::nullopt);
    std::optional<RawEmbedding> removeRawEmbedding(const platform::Uuid& segmentId);

    SendableSpeaker toSendable() const;

    nlohmann::ordered_json toJSON() const;
    // Every key is required; values are taken as stored.
    static Speaker fromJSON(const nlohmann::ordered_json& json);
};

// Sum of squares above 0.01 (NaN is not usable).
bool isUsableEmbedding(std::span<const float> embedding);

} // namespace razeziruzer
