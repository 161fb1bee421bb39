#pragma once
// Checks on names that become paths under the download base: a repository
// identifier and the file paths a hub lists. Anything that could leave its
// folder, or land in the client's own bookkeeping folder, is refused with
// HubError (unsafePath).

#include <filesystem>
#include <string_view>

namespace modelhubkit {

// The folder inside a repository's local copy that holds the client's
// per-file records; no repository file may live there.
inline constexpr std::string_view metadataFolderName = ".cache/modelhubkit";

// The identifier as relative path components ("owner/name").
std::filesystem::path checkedRepoIdPath(std::string_view id);
// A repository file path ("a/b.txt") as a relative path.
std::filesystem::path checkedRepoFilePath(std::string_view path);

} // namespace modelhubkit
