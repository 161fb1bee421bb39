#pragma once
// One embedding of one speech segment in a speaker's history.

#include "Platform/Files/Uuid.hpp"

#include <nlohmann/json.hpp>

#include <chrono>
#include <vector>

namespace razeziruzer {

using SpeakerTimestamp = std::chrono::system_clock::time_point;

struct RawEmbedding {
    // Stores the embedding made unit length.
    RawEmbedding(platform::Uuid segmentId, std::span<const float> embedding, SpeakerTimestamp timestamp);

    platform::Uuid segmentId;
    std::vector<float> embedding;
    SpeakerTimestamp timestamp;

    // Keys "segmentId", "embedding", "timestamp" (seconds since 1970); reading
    // keeps the embedding as stored.
    nlohmann::ordered_json toJSON() const;
    static RawEmbedding fromJSON(const nlohmann::ordered_json& json);

private:
    RawEmbedding() = default;
};

// Timestamps as stored in speaker records: seconds since 1970 as a 64-bit float.
double timestampSeconds(SpeakerTimestamp timestamp);
SpeakerTimestamp timestampFromSeconds(double seconds);

} // namespace razeziruzer
