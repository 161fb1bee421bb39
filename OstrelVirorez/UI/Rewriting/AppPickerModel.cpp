#include "OstrelVirorez/UI/Rewriting/AppPickerModel.hpp"

#include "OstrelVirorez/Claude/RewritingProfileList.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/Rewriting/AppCatalog.hpp"

namespace ostrelvirorez {

AppPickerModel::AppPickerModel(AppSettings& settings, AppCatalog& catalog, platform::Uuid profileID)
    : settings_(settings), catalog_(catalog), profileID_(profileID),
      storeChanged_(settings.objectWillChange().connect([this] { changed_.emit(); })) {}

void AppPickerModel::appear() {
    runningApps_ = catalog_.runningApps();
    changed_.emit();
}

void AppPickerModel::setSearchText(const std::string& text) {
    if (text == searchText_) return;
    searchText_ = text;
    searchResults_ = text.empty() ? std::vector<AppInfo>{} : catalog_.installedApps(text);
    changed_.emit();
}

const std::vector<AppInfo>& AppPickerModel::shownApps() const {
    return searchText_.empty() ? runningApps_ : searchResults_;
}

std::map<std::string, std::string> AppPickerModel::alreadyAssigned() {
    std::map<std::string, std::string> assigned;
    for (const auto& profile : settings_.rewritingProfiles()) {
        for (const auto& app : profile.assignedApps) assigned[app.bundleIdentifier] = profile.name;
    }
    return assigned;
}

std::optional<std::string> AppPickerModel::assignedProfileName(const std::string& bundleIdentifier) {
    const auto assigned = alreadyAssigned();
    const auto found = assigned.find(bundleIdentifier);
    if (found == assigned.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> AppPickerModel::icon(const std::string& bundleIdentifier) {
    return catalog_.icon(bundleIdentifier);
}

void AppPickerModel::add(const AppInfo& app) {
    auto profiles = settings_.rewritingProfiles();
    assignApp(profiles, app, profileID_);
    settings_.setRewritingProfiles(std::move(profiles));
}

} // namespace ostrelvirorez
