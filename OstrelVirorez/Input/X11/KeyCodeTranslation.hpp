#pragma once
// Translates X key symbols into the application's key codes, and tells which
// of them are modifier keys with their device-dependent flag bits.

#include <cstdint>
#include <optional>

namespace ostrelvirorez::x11 {

// The application's code of the key that produces `keySymbol` at its first
// level; absent for keys the application has no code for.
std::optional<std::uint16_t> applicationKeyCode(unsigned long keySymbol);

// The flag bit a modifier key sets while held; 0 for other keys.
std::uint64_t modifierFlagBit(std::uint16_t keyCode);

// Whether the key reports through flags-changed events: the modifiers with a
// flag bit and Caps Lock, which has none.
bool reportsFlagsChanged(std::uint16_t keyCode);

} // namespace ostrelvirorez::x11
