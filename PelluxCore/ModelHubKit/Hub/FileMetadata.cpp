#include "PelluxCore/ModelHubKit/Hub/FileMetadata.hpp"

#include <nlohmann/json.hpp>

namespace modelhubkit {

void to_json(nlohmann::json& json, const FileMetadata& metadata)
{
    json = nlohmann::json{{"commitHash", metadata.commitHash}, {"etag", metadata.etag}, {"size", metadata.size}};
}

void from_json(const nlohmann::json& json, FileMetadata& metadata)
{
    json.at("commitHash").get_to(metadata.commitHash);
    json.at("etag").get_to(metadata.etag);
    json.at("size").get_to(metadata.size);
}

} // namespace modelhubkit
