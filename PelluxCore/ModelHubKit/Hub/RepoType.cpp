#include "PelluxCore/ModelHubKit/Hub/RepoType.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace modelhubkit {

std::string_view rawValue(RepoType type)
{
    switch (type) {
    case RepoType::models: return "models";
    case RepoType::datasets: return "datasets";
    case RepoType::spaces: return "spaces";
    }
    return "models";
}

std::optional<RepoType> repoTypeFromRawValue(std::string_view text)
{
    for (const auto type : {RepoType::models, RepoType::datasets, RepoType::spaces}) {
        if (rawValue(type) == text)
            return type;
    }
    return std::nullopt;
}

void to_json(nlohmann::json& json, RepoType type)
{
    json = std::string(rawValue(type));
}

void from_json(const nlohmann::json& json, RepoType& type)
{
    const auto text = json.get<std::string>();
    const auto parsed = repoTypeFromRawValue(text);
    if (!parsed)
        throw nlohmann::json::other_error::create(501, "unknown repository type \"" + text + "\"", &json);
    type = *parsed;
}

} // namespace modelhubkit
