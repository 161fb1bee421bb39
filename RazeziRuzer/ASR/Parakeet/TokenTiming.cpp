#include "RazeziRuzer/ASR/Parakeet/TokenTiming.hpp"

#include <nlohmann/json.hpp>

namespace razeziruzer {

void to_json(nlohmann::ordered_json& json, const TokenTiming& timing) {
    json = nlohmann::ordered_json{{"token", timing.token},
                                  {"tokenId", timing.tokenId},
                                  {"startTime", timing.startTime},
                                  {"endTime", timing.endTime},
                                  {"confidence", timing.confidence}};
}

void from_json(const nlohmann::ordered_json& json, TokenTiming& timing) {
    json.at("token").get_to(timing.token);
    json.at("tokenId").get_to(timing.tokenId);
    json.at("startTime").get_to(timing.startTime);
    json.at("endTime").get_to(timing.endTime);
    json.at("confidence").get_to(timing.confidence);
}

} // namespace razeziruzer
