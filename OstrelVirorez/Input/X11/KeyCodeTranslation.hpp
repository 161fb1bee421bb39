#pragma once
// Translates X key symbols into the application's key codes, and tells which
// of them report through flags-changed events (their flag bits are
// modifierFlagBit's).

#include "OstrelVirorez/Input/KeyEvent.hpp"

#include <cstdint>
#include <optional>

namespace ostrelvirorez::x11 {

// The application's code of the key that produces `keySymbol` at its first
// level; absent for keys the application has no code for.
std::optional<std::uint16_t> applicationKeyCode(unsigned long keySymbol);

// Whether the key reports through flags-changed events: the modifiers with a
// flag bit and Caps Lock, which has none.
bool reportsFlagsChanged(std::uint16_t keyCode);

} // namespace ostrelvirorez::x11
