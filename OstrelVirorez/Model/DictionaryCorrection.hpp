#pragma once
// One fixed text correction of the user's dictionary: a phrase the engine
// writes wrongly and the text that stands in its place, optionally limited to
// one engine and to a set of target applications.

#include "OstrelVirorez/Claude/AppInfo.hpp"
#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "Platform/Files/Uuid.hpp"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

struct DictionaryCorrection {
    platform::Uuid id;
    std::string source;
    std::string replacement;
    std::optional<EngineType> engineSpecific;
    bool caseSensitive = false;
    bool isAutoLearned = false;
    std::vector<AppInfo> assignedApps;

    bool operator==(const DictionaryCorrection&) const = default;
};

// "id", "source" and "replacement" are required; "engineSpecific" is left out
// when absent and must name an engine when present; the flags read as false
// and "assignedApps" as empty when missing or unreadable.
void to_json(nlohmann::json& json, const DictionaryCorrection& correction);
void from_json(const nlohmann::json& json, DictionaryCorrection& correction);

} // namespace ostrelvirorez
