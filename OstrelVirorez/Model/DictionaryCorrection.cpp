#include "OstrelVirorez/Model/DictionaryCorrection.hpp"

#include <nlohmann/json.hpp>

namespace ostrelvirorez {

namespace {

platform::Uuid uuidFrom(const nlohmann::json& json) {
    const auto uuid = platform::Uuid::fromString(json.get<std::string>());
    if (!uuid) throw std::invalid_argument("\"id\" is not a UUID");
    return *uuid;
}

bool flagOrFalse(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    return found != json.end() && found->is_boolean() && found->get<bool>();
}

std::vector<AppInfo> appsOrEmpty(const nlohmann::json& json) {
    const auto found = json.find("assignedApps");
    if (found == json.end()) return {};
    try {
        return found->get<std::vector<AppInfo>>();
    } catch (const nlohmann::json::exception&) {
        return {};
    }
}

} // namespace

void to_json(nlohmann::json& json, const DictionaryCorrection& correction) {
    json = nlohmann::json{{"id", correction.id.toString()},
                          {"source", correction.source},
                          {"replacement", correction.replacement},
                          {"caseSensitive", correction.caseSensitive},
                          {"isAutoLearned", correction.isAutoLearned},
                          {"assignedApps", correction.assignedApps}};
    if (correction.engineSpecific) json["engineSpecific"] = std::string(rawValue(*correction.engineSpecific));
}

void from_json(const nlohmann::json& json, DictionaryCorrection& correction) {
    DictionaryCorrection read;
    read.id = uuidFrom(json.at("id"));
    json.at("source").get_to(read.source);
    json.at("replacement").get_to(read.replacement);
    if (const auto engine = json.find("engineSpecific"); engine != json.end() && !engine->is_null()) {
        read.engineSpecific = fromRawValue<EngineType>(engine->get<std::string>());
        if (!read.engineSpecific) throw std::invalid_argument("\"engineSpecific\" names no engine");
    }
    read.caseSensitive = flagOrFalse(json, "caseSensitive");
    read.isAutoLearned = flagOrFalse(json, "isAutoLearned");
    read.assignedApps = appsOrEmpty(json);
    correction = std::move(read);
}

} // namespace ostrelvirorez
