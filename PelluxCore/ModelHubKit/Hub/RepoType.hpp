#pragma once
// The kinds of hub repository. Each kind has its own folder under the download
// base and its own prefix in the hub's addresses.

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string_view>

namespace modelhubkit {

enum class RepoType { models, datasets, spaces };

std::string_view rawValue(RepoType type);
// Only the three exact texts name a kind.
std::optional<RepoType> repoTypeFromRawValue(std::string_view text);

void to_json(nlohmann::json& json, RepoType type);
// Throws nlohmann::json::exception for anything but one of the three texts.
void from_json(const nlohmann::json& json, RepoType& type);

} // namespace modelhubkit
