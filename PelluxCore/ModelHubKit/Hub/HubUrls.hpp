#pragma once
// Addresses on the hub: a repository's file list at a revision, and one
// file's contents at a revision. Identifier, revision and path segments are
// percent-encoded.

#include "PelluxCore/ModelHubKit/Hub/Repo.hpp"

#include <string>
#include <string_view>

namespace modelhubkit {

// <endpoint>/api/<type>/<id>/revision/<revision>
std::string revisionInfoUrl(std::string_view endpoint, const Repo& repo, std::string_view revision);
// <endpoint>[/datasets|/spaces]/<id>/resolve/<revision>/<path>
std::string fileUrl(std::string_view endpoint, const Repo& repo, std::string_view revision, std::string_view path);

} // namespace modelhubkit
