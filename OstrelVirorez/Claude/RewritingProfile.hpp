#pragma once
// A named set of rewriting instructions bound to applications: which prompt
// rewrites a dictation made in them, and what context goes with it.

#include "OstrelVirorez/Claude/AppInfo.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "Platform/Files/Uuid.hpp"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

struct RewritingProfile {
    platform::Uuid id;
    std::string name;
    std::string prompt;
    std::string clipboardPrompt;
    std::vector<AppInfo> assignedApps;
    std::string icon;
    bool isDefault = false;
    std::optional<EngineType> preferredEngine;
    std::vector<std::string> triggerWords;
    bool includeClipboardContext = false;
    bool includeWindowTitleContext = false;

    bool operator==(const RewritingProfile&) const = default;

    // The eight built-in profiles, built once per process with fresh ids.
    static const std::vector<RewritingProfile>& defaults();
    // The profile for an application when no profile of the list applies.
    static const RewritingProfile& fallback();
};

// Stored form: "id", "name", "prompt", "assignedApps", "icon" and "isDefault"
// are required; a missing "clipboardPrompt" reads as the general rewrite
// prompt, the other keys as absent, empty or false. "preferredEngine" is
// written only when set.
void to_json(nlohmann::json& json, const RewritingProfile& profile);
void from_json(const nlohmann::json& json, RewritingProfile& profile);

} // namespace ostrelvirorez
