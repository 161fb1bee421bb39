#include "PelluxCore/ModelHubKit/Hub/RevisionInfo.hpp"

#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"

#include "Platform/Core/BoundedJson.hpp"

namespace modelhubkit {

RevisionInfo RevisionInfo::parse(std::string_view body)
{
    nlohmann::json json;
    try {
        json = platform::parseBoundedJson(body);
    } catch (const std::exception&) {
        throw HubError(HubErrorKind::invalidResponse, "The hub's file list is not readable");
    }
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
