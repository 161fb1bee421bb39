#pragma once
// A reference to one hub repository: its identifier (owner/name) and kind.
// Stored as {"id": ..., "type": ...}.

#include "PelluxCore/ModelHubKit/Hub/RepoType.hpp"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <string>

namespace modelhubkit {

struct Repo {
    std::string id;
    RepoType type = RepoType::models;

    bool operator==(const Repo&) const = default;
};

// "models/owner/name", the form used in log lines and messages.
std::string describe(const Repo& repo);

void to_json(nlohmann::json& json, const Repo& repo);
void from_json(const nlohmann::json& json, Repo& repo);

} // namespace modelhubkit

template <>
struct std::hash<modelhubkit::Repo> {
    std::size_t operator()(const modelhubkit::Repo& repo) const noexcept;
};
