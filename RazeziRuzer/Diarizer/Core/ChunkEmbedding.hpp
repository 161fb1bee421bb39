#pragma once
// The embedding of one local speaker of one chunk, with its stretch of time.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace razeziruzer {

struct ChunkEmbedding {
    std::string speakerId;
    std::int64_t chunkIndex = 0;
    std::int64_t speakerIndex = 0;
    double startTimeSeconds = 0;
    double endTimeSeconds = 0;
    std::vector<float> embedding256;
    std::vector<double> rho128;

    bool operator==(const ChunkEmbedding&) const = default;

    // Keys are the field names, in field order.
    nlohmann::ordered_json toJSON() const;
    // Every key is required; a missing or mistyped one throws nlohmann::json's error.
    static ChunkEmbedding fromJSON(const nlohmann::ordered_json& json);
};

} // namespace razeziruzer
