#include "OstrelVirorez/UI/Rewriting/AppCatalog.hpp"

#include "OstrelVirorez/Claude/AppPickerService.hpp"

namespace ostrelvirorez {

std::vector<AppInfo> DesktopAppCatalog::runningApps() { return AppPickerService::runningApps(); }

std::vector<AppInfo> DesktopAppCatalog::installedApps(const std::string& query) {
    return AppPickerService::installedApps(query);
}

std::optional<std::string> DesktopAppCatalog::icon(const std::string& bundleIdentifier) {
    return AppPickerService::icon(bundleIdentifier);
}

DesktopAppCatalog& DesktopAppCatalog::shared() {
    static DesktopAppCatalog catalog;
    return catalog;
}

} // namespace ostrelvirorez
