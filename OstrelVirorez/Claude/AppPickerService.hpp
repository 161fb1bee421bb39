#pragma once
// Lists applications for the settings editors that assign applications to
// profiles and corrections: those running now, the installed ones matching a
// search text, and each one's icon. Stateless; every call asks afresh.
//
// An application is identified by the id of its desktop file (the file name
// without ".desktop"), the same identifier the target-application detector
// reports, so that profiles chosen here match the application dictated into.
// A running window is mapped to that id through DesktopApplicationIndex; a
// window of no installed application keeps its WM_CLASS class name.

#include "OstrelVirorez/Claude/AppInfo.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

struct AppPickerService {
    // Applications with a normal window on the desktop, except this program,
    // named as their desktop file names them; `displayName` empty: $DISPLAY.
    static std::vector<AppInfo> runningApps(const std::string& displayName = {});
    // Installed applications (desktop files shown in menus) whose name or
    // desktop-file id contains `query`, ignoring case; none for an empty query.
    static std::vector<AppInfo> installedApps(const std::string& query);
    // The themed icon name or icon file of the application with this
    // desktop-file id or window class, shown at 20 × 20.
    static std::optional<std::string> icon(const std::string& bundleIdentifier);

    // The folders searched, system folders first, then the user's own.
    static std::vector<std::filesystem::path> applicationFolders();
    // Ascending by name under the current locale, ignoring case; stable.
    static void sortByName(std::vector<AppInfo>& apps);
};

} // namespace ostrelvirorez
