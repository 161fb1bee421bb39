#pragma once
// The stored text of one hotkey's key codes: decimal codes joined by ",", or
// "none" for a hotkey with no key. Codes are the system's virtual key codes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelvirorez {

using KeyCode = std::int64_t;

// The codes a non-empty text names: pieces between commas that are base-10
// integers with an optional sign, without 0. "none" is the empty list;
// nullopt when the text is empty or names no code, so that the caller's
// fallback applies.
std::optional<std::vector<KeyCode>> parseKeyCodeList(std::string_view raw);

// The codes without 0, joined by ","; "none" when nothing is left.
std::string serializeKeyCodeList(const std::vector<KeyCode>& codes);

} // namespace ostrelvirorez
