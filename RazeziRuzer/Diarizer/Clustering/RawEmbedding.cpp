#include "RazeziRuzer/Diarizer/Clustering/RawEmbedding.hpp"

#include "RazeziRuzer/Diarizer/Offline/Utils/VDSPOperations.hpp"

#include <stdexcept>

namespace razeziruzer {

RawEmbedding::RawEmbedding(platform::Uuid segmentId, std::span<const float> embedding, SpeakerTimestamp timestamp)
    : segmentId(segmentId), embedding(VDSPOperations::l2Normalize(embedding)), timestamp(timestamp) {}

double timestampSeconds(SpeakerTimestamp timestamp) {
    return std::chrono::duration<double>(timestamp.time_since_epoch()).count();
}

SpeakerTimestamp timestampFromSeconds(double seconds) {
    return SpeakerTimestamp(std::chrono::duration_cast<SpeakerTimestamp::duration>(std::chrono::duration<double>(seconds)));
}

nlohmann::ordered_json RawEmbedding::toJSON() const {
    nlohmann::ordered_json json;
    json["segmentId"] = segmentId.toString();
    json["embedding"] = embedding;
    json["timestamp"] = timestampSeconds(timestamp);
    return json;
}

RawEmbedding RawEmbedding::fromJSON(const nlohmann::ordered_json& json) {
    RawEmbedding raw;
    const auto id = platform::Uuid::fromString(json.at("segmentId").get<std::string>());
    if (!id) throw std::invalid_argument("segmentId is not a UUID");
    raw.segmentId = *id;
    raw.embedding = json.at("embedding").get<std::vector<float>>();
    raw.timestamp = timestampFromSeconds(json.at("timestamp").get<double>());
    return raw;
}

} // namespace razeziruzer
