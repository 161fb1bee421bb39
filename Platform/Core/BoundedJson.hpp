#pragma once
// JSON from files and replies that others wrote. The parser itself copes with
// any nesting, but copying, printing or walking a parsed value recurses once
// per level, so a document nested a million levels deep would exhaust the
// stack later on. parseBoundedJson refuses such documents up front.

#include "Platform/Core/Error.hpp"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace platform {

class JsonNestingError : public Error {
public:
    using Error::Error;
};

// Far deeper than any configuration, listing or metadata file nests.
inline constexpr int maximumJsonNesting = 128;

// As nlohmann::json::parse (throwing its parse_error for malformed text), and
// throws JsonNestingError when arrays and objects nest more than `maxDepth`
// levels.
inline nlohmann::json parseBoundedJson(std::string_view text, int maxDepth = maximumJsonNesting) {
    const auto limit = [maxDepth](int depth, nlohmann::json::parse_event_t event, nlohmann::json&) {
        const bool opens = event == nlohmann::json::parse_event_t::object_start ||
                           event == nlohmann::json::parse_event_t::array_start;
        if (opens && depth >= maxDepth) {
            throw JsonNestingError("JSON nested more than " + std::to_string(maxDepth) + " levels deep");
        }
        return true;
    };
    return nlohmann::json::parse(text, limit);
}

} // namespace platform
