#include "OstrelVirorez/Claude/AppPickerService.hpp"

#include "OstrelVirorez/Claude/DesktopEntry.hpp"
#include "Platform/Files/XdgDirectories.hpp"
#include "Platform/Text/CaseMapping.hpp"
#include "Platform/Text/StringSearch.hpp"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace ostrelvirorez {
namespace {

const std::string desktopSuffix = ".desktop";

std::vector<DesktopEntry> installedEntries() {
    return DesktopEntry::readFolders(AppPickerService::applicationFolders());
}

bool isShownApplication(const DesktopEntry& entry) {
    return entry.type == "Application" && !entry.noDisplay && !entry.hidden && !entry.id.empty();
}

std::string withoutSuffix(std::string name) {
    for (auto found = name.find(desktopSuffix); found != std::string::npos; found = name.find(desktopSuffix)) {
        name.erase(found, desktopSuffix.size());
    }
    return name;
}

// The user's collation locale from the environment. The C locale's
// collation orders by code point, capitals first, which is not the
// case-insensitive order the lists promise; it gets the root rules of "en".
std::string collationLocale() {
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        std::string name(value);
        name = name.substr(0, name.find_first_of(".@"));
        if (name == "C" || name == "POSIX" || name.empty()) return "en";
        return name;
    }
    return "en";
}

} // namespace

std::vector<std::filesystem::path> AppPickerService::applicationFolders() {
    std::vector<std::filesystem::path> folders;
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share");
    std::string folder;
    while (std::getline(list, folder, ':')) {
        if (!folder.empty() && folder.front() == '/') folders.push_back(std::filesystem::path(folder) / "applications");
    }
    folders.push_back(platform::files::dataHome() / "applications");
    return folders;
}

void AppPickerService::sortByName(std::vector<AppInfo>& apps) {
    const auto locale = collationLocale();
    std::stable_sort(apps.begin(), apps.end(), [&](const AppInfo& left, const AppInfo& right) {
        return platform::text::localizedCompareIgnoringCase(left.displayName, right.displayName, locale) < 0;
    });
}

std::vector<AppInfo> AppPickerService::installedApps(const std::string& query) {
    std::vector<AppInfo> apps;
    if (query.empty()) return apps;
    const platform::text::SearchOptions ignoringCase{true, false};
    for (const auto& entry : installedEntries()) {
        if (!isShownApplication(entry)) continue;
        const auto name = withoutSuffix(entry.name.empty() ? entry.id : entry.name);
        if (platform::text::contains(name, query, ignoringCase) ||
            platform::text::contains(entry.id, query, ignoringCase)) {
            apps.push_back({entry.id, name});
        }
    }
    sortByName(apps);
    return apps;
}

std::optional<std::string> AppPickerService::icon(const std::string& bundleIdentifier) {
    std::optional<std::string> byId;
    std::optional<std::string> byWindowClass;
    for (const auto& entry : installedEntries()) {
        if (entry.icon.empty()) continue;
        if (!byId && entry.id == bundleIdentifier) byId = entry.icon;
        if (!byWindowClass && !entry.startupWMClass.empty() &&
            platform::text::equalsIgnoringCase(entry.startupWMClass, bundleIdentifier)) {
            byWindowClass = entry.icon;
        }
    }
    return byId ? byId : byWindowClass;
}

} // namespace ostrelvirorez
