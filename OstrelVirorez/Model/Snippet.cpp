#include "OstrelVirorez/Model/Snippet.hpp"

#include <nlohmann/json.hpp>

#include <stdexcept>

namespace ostrelvirorez {

void to_json(nlohmann::json& json, const Snippet& snippet) {
    json = nlohmann::json{{"id", snippet.id.toString()},
                          {"trigger", snippet.trigger},
                          {"replacement", snippet.replacement},
                          {"caseSensitive", snippet.caseSensitive},
                          {"isEnabled", snippet.isEnabled}};
}

void from_json(const nlohmann::json& json, Snippet& snippet) {
    const auto id = platform::Uuid::fromString(json.at("id").get<std::string>());
    if (!id) throw std::invalid_argument("\"id\" is not a UUID");
    Snippet read{*id, json.at("trigger").get<std::string>(), json.at("replacement").get<std::string>(),
                 json.at("caseSensitive").get<bool>(), json.at("isEnabled").get<bool>()};
    snippet = std::move(read);
}

} // namespace ostrelvirorez
