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

// As Json::parse (throwing its parse_error for malformed text), and throws
// JsonNestingError when arrays and objects nest more than `maxDepth` levels.
// Json is nlohmann::json or nlohmann::ordered_json.
template <typename Json = nlohmann::json>
Json parseBoundedJson(std::string_view text, int maxDepth = maximumJsonNesting) {
    const auto limit = [maxDepth](int depth, typename Json::parse_event_t event, Json&) {
        const bool opens = event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start;
        if (opens && depth >= maxDepth) {
            throw JsonNestingError("JSON nested more than " + std::to_string(maxDepth) + " levels deep");
        }
        return true;
    };
    return Json::parse(text, limit);
}

} // namespace platform
