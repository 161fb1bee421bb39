#pragma once
// Watches the making of the Qt application. Qt ends a program that finds no
// display with an abort, its own generic text and a core dump; while the
// guard lives, a fatal Qt message instead ends the process at once with one
// line saying that the application needs a graphical session and exit
// status 1. Qt's other messages are held back meanwhile and written as Qt
// would have written them when the guard goes. One guard at a time, made
// right before the QApplication and let go right after it.

#include <string_view>

namespace ostrelvirorez {

class GraphicalSessionGuard {
public:
    static constexpr std::string_view message =
        "OstrelVirorez needs a graphical session: no X11 or Wayland display could be opened";
    static constexpr int exitStatus = 1;

    GraphicalSessionGuard();
    ~GraphicalSessionGuard();
    GraphicalSessionGuard(const GraphicalSessionGuard&) = delete;
    GraphicalSessionGuard& operator=(const GraphicalSessionGuard&) = delete;
};

} // namespace ostrelvirorez
