#pragma once
// One word of a segment with its tokens, its time span (seconds) and its
// probability.

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

namespace hushframe {

struct WordTiming {
    std::string word;
    std::vector<int> tokens;
    float start = 0;
    float end = 0;
    float probability = 0;

    float duration() const { return end - start; }

    bool operator==(const WordTiming&) const = default;
};

// Keys "word", "tokens", "start", "end", "probability"; all required.
void to_json(nlohmann::ordered_json& json, const WordTiming& timing);
void from_json(const nlohmann::ordered_json& json, WordTiming& timing);

} // namespace hushframe
