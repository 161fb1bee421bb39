#pragma once
// Synthesizes the paste shortcut for the focused window through XTest:
// Control-V, or Control-Shift-V when the window belongs to a terminal, where
// Control-V means something else.

#include <string>

namespace ostrelvirorez::x11 {

class X11Display;

// Whether WM_CLASS names a terminal emulator (either of its two strings,
// ignoring case).
bool isTerminalWindowClass(const std::string& instance, const std::string& className);

// False when XTest is missing or the keyboard has no V, Control or Shift key.
bool synthesizePaste(X11Display& display);

} // namespace ostrelvirorez::x11
