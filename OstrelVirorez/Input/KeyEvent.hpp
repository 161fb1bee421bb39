#pragma once
// One global keyboard event in the application's key code space: a key went
// down or up, or a modifier key changed the modifier flags. `flags` carries
// the device-dependent modifier bits (0x10 right Command, 0x2000 right
// Control, ...).

#include <cstdint>

namespace ostrelvirorez {

enum class KeyEventType { keyDown, keyUp, flagsChanged };

struct KeyEvent {
    KeyEventType type = KeyEventType::keyDown;
    std::uint16_t keyCode = 0;
    std::uint64_t flags = 0;

    bool operator==(const KeyEvent&) const = default;
};

// The flag bit a modifier key sets while held; 0 for other keys.
constexpr std::uint64_t modifierFlagBit(std::uint16_t keyCode) {
    switch (keyCode) {
    case 54: return 0x10;
    case 55: return 0x08;
    case 56: return 0x02;
    case 58: return 0x20;
    case 59: return 0x01;
    case 60: return 0x04;
    case 61: return 0x40;
    case 62: return 0x2000;
    case 63: return 0x800000;
    default: return 0;
    }
}

} // namespace ostrelvirorez
