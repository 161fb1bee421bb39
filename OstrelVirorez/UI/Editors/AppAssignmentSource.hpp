#pragma once
// Where the dictionary editor finds the applications it can assign to a
// correction and their icons; the desktop's by default, a fixed list in tests.

#include "OstrelVirorez/Claude/AppInfo.hpp"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

struct AppAssignmentSource {
    // The running applications, sorted by display name.
    std::function<std::vector<AppInfo>()> runningApps;
    // The themed icon name or icon file of an application, if it has one.
    std::function<std::optional<std::string>(const std::string& bundleIdentifier)> icon;

    static AppAssignmentSource desktop();
};

} // namespace ostrelvirorez
