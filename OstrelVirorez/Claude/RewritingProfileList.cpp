#include "OstrelVirorez/Claude/RewritingProfileList.hpp"

#include <algorithm>

namespace ostrelvirorez {

RewritingProfile profile(const std::vector<RewritingProfile>& profiles, std::string_view bundleIdentifier) {
    for (const auto& candidate : profiles) {
        const bool lists = std::ranges::any_of(
            candidate.assignedApps, [&](const AppInfo& app) { return app.bundleIdentifier == bundleIdentifier; });
        if (lists) return candidate;
    }
    const auto isDefault = std::ranges::find_if(profiles, &RewritingProfile::isDefault);
    if (isDefault != profiles.end()) return *isDefault;
    return RewritingProfile::fallback();
}

void assignApp(std::vector<RewritingProfile>& profiles, const AppInfo& app, const platform::Uuid& to) {
    for (auto& candidate : profiles) {
        std::erase_if(candidate.assignedApps,
                      [&](const AppInfo& assigned) { return assigned.bundleIdentifier == app.bundleIdentifier; });
    }
    const auto target = std::ranges::find(profiles, to, &RewritingProfile::id);
    if (target != profiles.end()) target->assignedApps.push_back(app);
}

bool updateProfile(std::vector<RewritingProfile>& profiles, const platform::Uuid& id,
                   const std::function<void(RewritingProfile&)>& change) {
    const auto target = std::ranges::find(profiles, id, &RewritingProfile::id);
    if (target == profiles.end()) return false;
    change(*target);
    target->id = id;
    return true;
}

} // namespace ostrelvirorez
