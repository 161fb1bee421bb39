#pragma once
// An application as its bundle identifier and display name; shared by
// rewriting profiles, dictionary corrections and the application picker.

#include <nlohmann/json.hpp>

#include <string>

namespace ostrelvirorez {

struct AppInfo {
    std::string bundleIdentifier;
    std::string displayName;

    const std::string& id() const { return bundleIdentifier; }
    bool operator==(const AppInfo&) const = default;
};

// Both keys are required on reading; a missing or mistyped one throws.
inline void to_json(nlohmann::json& json, const AppInfo& app) {
    json = nlohmann::json{{"bundleIdentifier", app.bundleIdentifier}, {"displayName", app.displayName}};
}

inline void from_json(const nlohmann::json& json, AppInfo& app) {
    json.at("bundleIdentifier").get_to(app.bundleIdentifier);
    json.at("displayName").get_to(app.displayName);
}

} // namespace ostrelvirorez

template <>
struct std::hash<ostrelvirorez::AppInfo> {
    size_t operator()(const ostrelvirorez::AppInfo& app) const noexcept {
        return std::hash<std::string>{}(app.bundleIdentifier) ^ (std::hash<std::string>{}(app.displayName) << 1);
    }
};
