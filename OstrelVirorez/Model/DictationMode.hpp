#pragma once
// What the user asked for with a hotkey: insert the transcript as it is,
// rewrite it under a profile, or rewrite the clipboard with spoken
// instructions. Stored everywhere as its bare raw string.

#include <nlohmann/json_fwd.hpp>

#include <functional>
#include <optional>
#include <string_view>

namespace ostrelvirorez {

enum class DictationMode { raw, claude, clipboardRewrite };

std::string_view rawValue(DictationMode mode);

// Exactly the three raw values, case-sensitively; anything else is no mode.
template <typename Enum>
std::optional<Enum> fromRawValue(std::string_view raw);
template <>
std::optional<DictationMode> fromRawValue<DictationMode>(std::string_view raw);

// Encoded as a single JSON string; decoding any other string throws.
void to_json(nlohmann::json& json, DictationMode mode);
void from_json(const nlohmann::json& json, DictationMode& mode);

} // namespace ostrelvirorez
