#include "OstrelVirorez/Claude/AppPickerService.hpp"

#include "OstrelVirorez/Input/DesktopApplicationIndex.hpp"
#include "OstrelVirorez/Input/X11/WindowProperties.hpp"
#include "OstrelVirorez/Input/X11/X11Display.hpp"

#include <X11/Xlib.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <utility>

namespace ostrelvirorez {
namespace {

// Windows of the kinds an ordinary application shows; panels, docks, menus
// and the desktop belong to background programs.
bool isApplicationWindow(Display* display, unsigned long window) {
    const auto types = x11::atomProperty(display, window, "_NET_WM_WINDOW_TYPE");
    if (!types.empty() && types.front() != "_NET_WM_WINDOW_TYPE_NORMAL" &&
        types.front() != "_NET_WM_WINDOW_TYPE_DIALOG") {
        return false;
    }
    const auto states = x11::atomProperty(display, window, "_NET_WM_STATE");
    return std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR") == states.end();
}

} // namespace

std::vector<AppInfo> AppPickerService::runningApps(const std::string& displayName) {
    std::vector<AppInfo> apps;
    const auto connection = x11::X11Display::open(displayName);
    if (!connection) return apps;
    Display* display = connection->get();
    const auto ownProcess = static_cast<unsigned long>(getpid());
    const auto index = DesktopApplicationIndex::installed();
    // One entry per running program, however many windows it shows.
    std::set<std::pair<unsigned long, std::string>> seen;
    for (const auto window : x11::clientWindows(display)) {
        const auto pid = x11::windowProcessId(display, window);
        if (pid == ownProcess || !isApplicationWindow(display, window)) continue;
        const auto windowClass = x11::windowClass(display, window);
        if (!windowClass) continue;
        const auto identifier = index.applicationIdentifier(windowClass->instance, windowClass->className);
        if (!identifier) continue;
        if (pid && !seen.emplace(*pid, *identifier).second) continue;
        const auto* entry = index.entryForWindow(windowClass->instance, windowClass->className);
        const auto& ownName = windowClass->className.empty() ? *identifier : windowClass->className;
        apps.push_back({*identifier, entry && !entry->name.empty() ? entry->name : ownName});
    }
    sortByName(apps);
    return apps;
}

} // namespace ostrelvirorez
