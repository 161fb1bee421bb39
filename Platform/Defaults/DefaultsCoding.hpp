#pragma once
// The JSON form of a defaults value. Bytes are stored as {"$data": base64},
// so they read back as bytes and not as text; the rare dictionary whose only
// key is "$data" or "$dictionary" is wrapped as {"$dictionary": {...}} so it
// reads back as a dictionary.

#include "Platform/Defaults/DefaultsValue.hpp"

#include <nlohmann/json_fwd.hpp>

#include <optional>

namespace platform {

// Throws platform::Error for a value JSON cannot carry (a non-finite number).
nlohmann::json encodeDefaultsValue(const DefaultsValue& value);

// nullopt when the JSON holds anything this store does not write (null, an
// integer beyond 64 bits, malformed bytes), at any depth.
std::optional<DefaultsValue> decodeDefaultsValue(const nlohmann::json& json);

} // namespace platform
