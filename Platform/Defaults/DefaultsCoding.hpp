#pragma once
// The JSON form of a defaults value. Bytes are stored as {"$data": base64},
// so they read back as bytes and not as text; the rare dictionary whose only
// key is "$data" or "$dictionary" is wrapped as {"$dictionary": {...}} so it
// reads back as a dictionary.

#include "Platform/Defaults/DefaultsValue.hpp"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// How many arrays and dictionaries may nest in a defaults file, the file's
// own object included. Decoding, saving and comparing values recurse once
// per level, so a deeper file is damaged rather than read.
inline constexpr int maxDefaultsNesting = 100;

// The text of a defaults file as its top-level JSON object; nullopt, with
// `damage` saying why, for text that is not JSON, not an object, or nested
// deeper than maxDefaultsNesting. Never recurses per level.
std::optional<nlohmann::json> parseDefaultsFile(std::string_view text, std::string& damage);

// Whether arrays and objects nest more than `limit` levels in `json`
// (a scalar nests 0 levels); looks no deeper than limit + 1.
bool nestsDeeperThan(const nlohmann::json& json, int limit);

// Throws platform::Error for a value JSON cannot carry (a non-finite number).
nlohmann::json encodeDefaultsValue(const DefaultsValue& value);

// nullopt when the JSON holds anything this store does not write (null, an
// integer beyond 64 bits, malformed bytes), at any depth.
std::optional<DefaultsValue> decodeDefaultsValue(const nlohmann::json& json);

} // namespace platform
