#pragma once
// The application picker's state and rules: the running applications loaded
// once when it opens, the installed ones matching the search text, the
// profile each application is assigned to now, and assigning an application
// to one profile (taking it from any other).

#include "OstrelVirorez/Claude/AppInfo.hpp"
#include "Platform/Core/Signal.hpp"
#include "Platform/Files/Uuid.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class AppCatalog;
class AppSettings;

class AppPickerModel {
public:
    AppPickerModel(AppSettings& settings, AppCatalog& catalog, platform::Uuid profileID);

    const platform::Uuid& profileID() const { return profileID_; }
    // Loads the running applications; they are not refreshed while open.
    void appear();

    const std::string& searchText() const { return searchText_; }
    // Searches the installed applications for the text as typed.
    void setSearchText(const std::string& text);
    const std::vector<AppInfo>& runningApps() const { return runningApps_; }
    const std::vector<AppInfo>& searchResults() const { return searchResults_; }
    // The running applications while the search text is empty, else the results.
    const std::vector<AppInfo>& shownApps() const;

    // Bundle identifier to the name of the last profile that lists it.
    std::map<std::string, std::string> alreadyAssigned();
    std::optional<std::string> assignedProfileName(const std::string& bundleIdentifier);
    std::optional<std::string> icon(const std::string& bundleIdentifier);

    // Moves the application to this profile and stores the list.
    void add(const AppInfo& app);

    // Fires after every change of this model, and whenever the stored
    // profile list is replaced (also by other views).
    platform::Signal<>& changed() { return changed_; }

private:
    AppSettings& settings_;
    AppCatalog& catalog_;
    platform::Uuid profileID_;
    std::string searchText_;
    std::vector<AppInfo> runningApps_;
    std::vector<AppInfo> searchResults_;
    platform::Signal<> changed_;
    platform::Connection storeChanged_;
};

} // namespace ostrelvirorez
