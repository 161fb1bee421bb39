#pragma once
// Reads the window properties the desktop integrations use: EWMH values on
// the root and client windows, and the ICCCM class.

#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace ostrelvirorez::x11 {

struct WindowClass {
    std::string instance;
    std::string className;
};

// The window _NET_ACTIVE_WINDOW names; absent without a window manager or active window.
std::optional<unsigned long> activeWindow(_XDisplay* display);
// The window with the input focus, absent when focus is on no window.
std::optional<unsigned long> focusWindow(_XDisplay* display);
// _NET_CLIENT_LIST in the window manager's order.
std::vector<unsigned long> clientWindows(_XDisplay* display);
// WM_CLASS of the window or, for a child such as a focused widget, of the
// nearest ancestor that has one.
std::optional<WindowClass> windowClass(_XDisplay* display, unsigned long window);
std::optional<unsigned long> windowProcessId(_XDisplay* display, unsigned long window);
// _NET_WM_NAME (UTF-8), else WM_NAME.
std::optional<std::string> windowTitle(_XDisplay* display, unsigned long window);
// 32-bit cardinal or atom values of a property.
std::vector<unsigned long> cardinalProperty(_XDisplay* display, unsigned long window, const char* name,
                                            unsigned long type);
std::vector<std::string> atomProperty(_XDisplay* display, unsigned long window, const char* name);

} // namespace ostrelvirorez::x11
