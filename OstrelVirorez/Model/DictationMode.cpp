#include "OstrelVirorez/Model/DictationMode.hpp"

#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <nlohmann/json.hpp>

#include <array>
#include <string>

namespace ostrelvirorez {

namespace {

constexpr std::array allModes{DictationMode::raw, DictationMode::claude, DictationMode::clipboardRewrite};

} // namespace

std::string_view rawValue(DictationMode mode) {
    switch (mode) {
    case DictationMode::raw: return "raw";
    case DictationMode::claude: return "claude";
    case DictationMode::clipboardRewrite: return "clipboardRewrite";
    }
    return {};
}

template <>
std::optional<DictationMode> fromRawValue<DictationMode>(std::string_view raw) {
    return findByRawValue(raw, allModes);
}

void to_json(nlohmann::json& json, DictationMode mode) {
    json = std::string(rawValue(mode));
}

void from_json(const nlohmann::json& json, DictationMode& mode) {
    const auto raw = json.get<std::string>();
    const auto decoded = fromRawValue<DictationMode>(raw);
    if (!decoded) {
        throw nlohmann::json::other_error::create(
            501, "Cannot initialize DictationMode from invalid String value " + raw, &json);
    }
    mode = *decoded;
}

} // namespace ostrelvirorez
