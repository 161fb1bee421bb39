#pragma once
// Readable names of key codes for diagnostics and log lines.

#include <cstdint>
#include <string>

namespace ostrelvirorez {

struct HotkeyNames {
    // Named keys give their fixed name; any other code "Key 0x" and its
    // upper-case hexadecimal value.
    static std::string name(std::uint16_t keyCode);
};

} // namespace ostrelvirorez
