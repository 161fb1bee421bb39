#include "RazeziRuzer/Diarizer/Core/ChunkEmbedding.hpp"

namespace razeziruzer {

nlohmann::ordered_json ChunkEmbedding::toJSON() const {
    nlohmann::ordered_json json;
    json["speakerId"] = speakerId;
    json["chunkIndex"] = chunkIndex;
    json["speakerIndex"] = speakerIndex;
    json["startTimeSeconds"] = startTimeSeconds;
    json["endTimeSeconds"] = endTimeSeconds;
    json["embedding256"] = embedding256;
    json["rho128"] = rho128;
    return json;
}

ChunkEmbedding ChunkEmbedding::fromJSON(const nlohmann::ordered_json& json) {
    ChunkEmbedding result;
    result.speakerId = json.at("speakerId").get<std::string>();
    result.chunkIndex = json.at("chunkIndex").get<std::int64_t>();
    result.speakerIndex = json.at("speakerIndex").get<std::int64_t>();
    result.startTimeSeconds = json.at("startTimeSeconds").get<double>();
    result.endTimeSeconds = json.at("endTimeSeconds").get<double>();
    result.embedding256 = json.at("embedding256").get<std::vector<float>>();
    result.rho128 = json.at("rho128").get<std::vector<double>>();
    return result;
}

} // namespace razeziruzer
