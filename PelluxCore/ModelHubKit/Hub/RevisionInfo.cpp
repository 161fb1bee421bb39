#include "PelluxCore/ModelHubKit/Hub/RevisionInfo.hpp"

#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"

#include <nlohmann/json.hpp>

namespace modelhubkit {

RevisionInfo RevisionInfo::parse(std::string_view body)
{
    const auto json = nlohmann::json::parse(body, nullptr, false);
    if (!json.is_object() || !json.contains("siblings") || !json["siblings"].is_array())
        throw HubError(HubErrorKind::invalidResponse, "The hub's file list is not readable");
    RevisionInfo info;
    if (const auto sha = json.find("sha"); sha != json.end() && sha->is_string())
        info.commitHash = sha->get<std::string>();
    for (const auto& sibling : json["siblings"]) {
        const auto name = sibling.is_object() ? sibling.find("rfilename") : sibling.end();
        if (!sibling.is_object() || name == sibling.end() || !name->is_string())
            throw HubError(HubErrorKind::invalidResponse, "The hub's file list holds an entry without a file name");
        info.filenames.push_back(name->get<std::string>());
    }
    return info;
}

} // namespace modelhubkit
