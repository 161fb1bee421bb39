#include "OstrelVirorez/Claude/PromptTemplate.hpp"

#include <nlohmann/json.hpp>

#include <stdexcept>

namespace ostrelvirorez {

void from_json(const nlohmann::json& json, PromptTemplate& promptTemplate) {
    const auto id = platform::Uuid::fromString(json.at("id").get<std::string>());
    if (!id) throw std::invalid_argument("\"id\" is not a UUID");
    promptTemplate.id = *id;
    json.at("appBundleIdentifier").get_to(promptTemplate.appBundleIdentifier);
    json.at("appName").get_to(promptTemplate.appName);
    json.at("instruction").get_to(promptTemplate.instruction);
    json.at("isEnabled").get_to(promptTemplate.isEnabled);
}

} // namespace ostrelvirorez
