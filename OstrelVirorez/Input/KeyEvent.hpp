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

} // namespace ostrelvirorez
