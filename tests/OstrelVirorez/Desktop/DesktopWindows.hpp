#pragma once
// Client windows on a test's X server with the properties a window manager
// and applications set: class, process id, title, type, the client list
// and the active window.

#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace ostrelvirorez::desktoptest {

class DesktopWindows {
public:
    struct Window {
        std::string instance;
        std::string className;
        std::optional<unsigned long> processId;
        std::optional<std::string> title;
        std::string type = "_NET_WM_WINDOW_TYPE_NORMAL";
    };

    explicit DesktopWindows(const std::string& displayName);
    ~DesktopWindows();
    DesktopWindows(const DesktopWindows&) = delete;
    DesktopWindows& operator=(const DesktopWindows&) = delete;

    // Creates the window and appends it to _NET_CLIENT_LIST.
    unsigned long add(const Window& window);
    void activate(unsigned long window);
    void clearActive();

private:
    _XDisplay* display_;
    std::vector<unsigned long> clients_;
};

} // namespace ostrelvirorez::desktoptest
