#pragma once
// Key names as a Linux desktop calls the keys: the stored key codes and their
// HotkeyNames stay as they are, only the modifier symbols become words
// ("Right ⌘" reads "Right Super", "Right ⌥" "Right Alt").

#include "OstrelVirorez/Model/HotkeyCodeList.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrelvirorez::general {

std::string linuxKeyName(std::uint16_t keyCode);
// `text` (a key name, or a key event such as "Right ⌘ DOWN") with every key
// symbol replaced by its word.
std::string linuxKeyText(std::string text);
// The names in list order joined by " / "; empty for no keys.
std::string linuxKeyNames(const std::vector<KeyCode>& keyCodes);

} // namespace ostrelvirorez::general
