#pragma once
// Where the application picker gets its applications from: the running ones,
// the installed ones matching a search text, and each one's icon. The desktop
// catalog asks the desktop-entry service; tests give their own lists.

#include "OstrelVirorez/Claude/AppInfo.hpp"

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppCatalog {
public:
    virtual ~AppCatalog() = default;
    virtual std::vector<AppInfo> runningApps() = 0;
    virtual std::vector<AppInfo> installedApps(const std::string& query) = 0;
    // A themed icon name or an icon file; nothing when there is none.
    virtual std::optional<std::string> icon(const std::string& bundleIdentifier) = 0;
};

class DesktopAppCatalog final : public AppCatalog {
public:
    std::vector<AppInfo> runningApps() override;
    std::vector<AppInfo> installedApps(const std::string& query) override;
    std::optional<std::string> icon(const std::string& bundleIdentifier) override;

    // The application's one catalog.
    static DesktopAppCatalog& shared();
};

} // namespace ostrelvirorez
