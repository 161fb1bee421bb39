#pragma once
// The Whisper package's door to the model hub: a hub client behind the
// package's own repository reference. Listing, snapshots and local locations
// are the client's; failures of the client pass through unchanged.

#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"
#include "PelluxCore/ModelHubKit/Hub/Progress.hpp"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace pelluxcore {

struct HubApiWrapper {
    enum class RepoType { models, datasets, spaces };

    // Stored as {"id": "owner/name", "type": "models"}.
    struct Repo {
        std::string id;
        RepoType type = RepoType::models;

        bool operator==(const Repo&) const = default;
    };

    // A client built from exactly these values; whether it is offline is left
    // to its network monitor. `services` chooses the transport and monitor
    // (the process's shared ones when empty).
    HubApiWrapper(std::optional<std::filesystem::path> downloadBase, std::optional<std::string> hfToken,
                  std::optional<std::string> endpoint, bool useBackgroundSession,
                  modelhubkit::HubApi::Services services = {});

    // Built once with every default.
    static const HubApiWrapper& shared();

    // The repository's local folder once every matching file at that revision
    // is in it.
    std::filesystem::path snapshot(const Repo& from, const std::string& revision,
                                   const std::vector<std::string>& matching,
                                   const modelhubkit::ProgressHandler& progressHandler = {},
                                   std::stop_token stop = {}) const;
    // The repository's file paths at that revision that match any glob (all
    // of them for no globs), each once.
    std::vector<std::string> getFilenames(const Repo& from, const std::string& revision,
                                          const std::vector<std::string>& matching, std::stop_token stop = {}) const;
    // <download base>/<kind>/<owner>/<name>; touches no file.
    std::filesystem::path localRepoLocation(const Repo& repo) const;

    modelhubkit::HubApi impl;
};

std::string_view rawValue(HubApiWrapper::RepoType type);
// Only "models", "datasets" and "spaces" name a kind.
std::optional<HubApiWrapper::RepoType> repoTypeFromRawValue(std::string_view text);

// The hub client's reference to the same repository.
modelhubkit::Repo hubRepo(const HubApiWrapper::Repo& repo);

void to_json(nlohmann::json& json, HubApiWrapper::RepoType type);
// Throws nlohmann::json::exception for anything but one of the three texts.
void from_json(const nlohmann::json& json, HubApiWrapper::RepoType& type);
void to_json(nlohmann::json& json, const HubApiWrapper::Repo& repo);
void from_json(const nlohmann::json& json, HubApiWrapper::Repo& repo);

} // namespace pelluxcore

template <>
struct std::hash<pelluxcore::HubApiWrapper::Repo> {
    std::size_t operator()(const pelluxcore::HubApiWrapper::Repo& repo) const noexcept;
};
