#include "PelluxCore/ModelHubKit/Hub/Repo.hpp"

#include <nlohmann/json.hpp>

#include <functional>
#include <string_view>

namespace modelhubkit {

std::string describe(const Repo& repo)
{
    return std::string(rawValue(repo.type)) + "/" + repo.id;
}

void to_json(nlohmann::json& json, const Repo& repo)
{
    json = nlohmann::json{{"id", repo.id}, {"type", repo.type}};
}

void from_json(const nlohmann::json& json, Repo& repo)
{
    json.at("id").get_to(repo.id);
    json.at("type").get_to(repo.type);
}

} // namespace modelhubkit

std::size_t std::hash<modelhubkit::Repo>::operator()(const modelhubkit::Repo& repo) const noexcept
{
    const std::size_t idHash = std::hash<std::string>{}(repo.id);
    const std::size_t typeHash = std::hash<std::string_view>{}(modelhubkit::rawValue(repo.type));
    return idHash ^ (typeHash + 0x9e3779b97f4a7c15ULL + (idHash << 6) + (idHash >> 2));
}
