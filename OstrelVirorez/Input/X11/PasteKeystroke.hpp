#pragma once
// Synthesizes the paste shortcut for the focused window through XTest, with
// the chord that window binds to paste.

#include <string>

namespace ostrelvirorez::x11 {

class X11Display;

// Control-V in most applications. Terminals, where Control-V means something
// else, paste the clipboard with Control-Shift-V; the xterm family binds no
// clipboard chord by default and pastes the primary selection with
// Shift-Insert, so the text has to be the primary selection too.
enum class PasteChord { controlV, controlShiftV, shiftInsert };

// Whether WM_CLASS names a terminal emulator (either of its two strings,
// ignoring case).
bool isTerminalWindowClass(const std::string& instance, const std::string& className);

// The chord for a window of this WM_CLASS.
PasteChord pasteChordFor(const std::string& instance, const std::string& className);

// The chord of the active window (else the window with the keyboard focus);
// Control-V when neither is known.
PasteChord focusedPasteChord(X11Display& display);

// False when XTest is missing or the keyboard has no key of the chord.
bool synthesizePaste(X11Display& display, PasteChord chord);

} // namespace ostrelvirorez::x11
