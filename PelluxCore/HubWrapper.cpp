#include "PelluxCore/HubWrapper.hpp"

#include <nlohmann/json.hpp>

#include <functional>

namespace pelluxcore {

namespace fs = std::filesystem;
using RepoType = HubApiWrapper::RepoType;

HubApiWrapper::HubApiWrapper(std::optional<fs::path> downloadBase, std::optional<std::string> hfToken,
                             std::optional<std::string> endpoint, bool useBackgroundSession,
                             modelhubkit::HubApi::Services services)
    : impl(std::move(downloadBase), std::move(hfToken), std::move(endpoint), useBackgroundSession, std::nullopt,
           std::move(services)) {}

const HubApiWrapper& HubApiWrapper::shared() {
    static const HubApiWrapper wrapper(std::nullopt, std::nullopt, std::nullopt, false);
    return wrapper;
}

fs::path HubApiWrapper::snapshot(const Repo& from, const std::string& revision,
                                 const std::vector<std::string>& matching,
                                 const modelhubkit::ProgressHandler& progressHandler, std::stop_token stop) const {
    return impl.snapshot(hubRepo(from), revision, matching, progressHandler, std::move(stop));
}

std::vector<std::string> HubApiWrapper::getFilenames(const Repo& from, const std::string& revision,
                                                     const std::vector<std::string>& matching,
                                                     std::stop_token stop) const {
    return impl.getFilenames(hubRepo(from), revision, matching, std::move(stop));
}

fs::path HubApiWrapper::localRepoLocation(const Repo& repo) const { return impl.localRepoLocation(hubRepo(repo)); }

std::string_view rawValue(RepoType type) {
    switch (type) {
    case RepoType::models: return "models";
    case RepoType::datasets: return "datasets";
    case RepoType::spaces: return "spaces";
    }
    return "models";
}

std::optional<RepoType> repoTypeFromRawValue(std::string_view text) {
    for (const auto type : {RepoType::models, RepoType::datasets, RepoType::spaces}) {
        if (rawValue(type) == text) return type;
    }
    return std::nullopt;
}

modelhubkit::Repo hubRepo(const HubApiWrapper::Repo& repo) {
    // Both enumerations name their kinds with the same three texts.
    return modelhubkit::Repo{repo.id, *modelhubkit::repoTypeFromRawValue(rawValue(repo.type))};
}

void to_json(nlohmann::json& json, RepoType type) { json = std::string(rawValue(type)); }

void from_json(const nlohmann::json& json, RepoType& type) {
    const auto text = json.get<std::string>();
    const auto parsed = repoTypeFromRawValue(text);
    if (!parsed) throw nlohmann::json::other_error::create(501, "unknown repository type \"" + text + "\"", &json);
    type = *parsed;
}

void to_json(nlohmann::json& json, const HubApiWrapper::Repo& repo) {
    json = nlohmann::json{{"id", repo.id}, {"type", repo.type}};
}

void from_json(const nlohmann::json& json, HubApiWrapper::Repo& repo) {
    json.at("id").get_to(repo.id);
    json.at("type").get_to(repo.type);
}

} // namespace pelluxcore

std::size_t std::hash<pelluxcore::HubApiWrapper::Repo>::operator()(
    const pelluxcore::HubApiWrapper::Repo& repo) const noexcept {
    const std::size_t idHash = std::hash<std::string>{}(repo.id);
    const std::size_t typeHash = std::hash<std::string_view>{}(pelluxcore::rawValue(repo.type));
    return idHash ^ (typeHash + 0x9e3779b97f4a7c15ULL + (idHash << 6) + (idHash >> 2));
}
