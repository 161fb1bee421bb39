#pragma once
// One emitted token of a transcript: its readable text, vocabulary id, time
// span in seconds and confidence.

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>

namespace razeziruzer {

struct TokenTiming {
    std::string token;
    std::int64_t tokenId = 0;
    double startTime = 0;
    double endTime = 0;
    float confidence = 0;

    bool operator==(const TokenTiming&) const = default;
};

// Every key is written, in field order, and required.
void to_json(nlohmann::ordered_json& json, const TokenTiming& timing);
void from_json(const nlohmann::ordered_json& json, TokenTiming& timing);

} // namespace razeziruzer
