#pragma once
// Lists applications for the settings editors that assign applications to
// profiles and corrections: those running now, the installed ones matching a
// search text, and each one's icon. Stateless; every call asks afresh.

#include "OstrelVirorez/Claude/AppInfo.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

struct AppPickerService {
    // Applications with a normal window on the desktop, except this
    // program, identified by their window class; `displayName` empty: $DISPLAY.
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
