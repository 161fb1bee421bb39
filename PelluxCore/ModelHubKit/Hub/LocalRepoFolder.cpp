#include "PelluxCore/ModelHubKit/Hub/LocalRepoFolder.hpp"

#include "PelluxCore/ModelHubKit/Hub/RepoPath.hpp"
#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Files/FileContents.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace modelhubkit {
namespace {

namespace fs = std::filesystem;

} // namespace

LocalRepoFolder::LocalRepoFolder(fs::path root) : root_(std::move(root)) {}

bool LocalRepoFolder::exists() const
{
    std::error_code error;
    return fs::is_directory(root_, error);
}

std::vector<std::string> LocalRepoFolder::storedFiles() const
{
    std::vector<std::string> files;
    if (!exists())
        return files;
    const fs::path reserved = root_ / metadataFolderName;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root_, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (it->path() == reserved) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            files.push_back(it->path().lexically_relative(root_).generic_string());
    }
    std::ranges::sort(files);
    return files;
}

std::optional<FileMetadata> LocalRepoFolder::metadata(const fs::path& relative) const
{
    try {
        return platform::parseBoundedJson(platform::files::readFile(metadataPath(relative))).get<FileMetadata>();
    } catch (const std::exception&) {
        // A missing or damaged record only costs a fresh check with the hub.
        return std::nullopt;
    }
}

void LocalRepoFolder::saveMetadata(const fs::path& relative, const FileMetadata& metadata) const
{
    const auto path = metadataPath(relative);
    fs::create_directories(path.parent_path());
    platform::files::writeAtomically(path, nlohmann::json(metadata).dump());
}

std::optional<std::uint64_t> LocalRepoFolder::storedSize(const fs::path& relative) const
{
    std::error_code error;
    const auto path = root_ / relative;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    const auto size = fs::file_size(path, error);
    if (error)
        return std::nullopt;
    return size;
}

fs::path LocalRepoFolder::temporaryFolder() const
{
    return root_ / metadataFolderName / "incomplete";
}

fs::path LocalRepoFolder::metadataPath(const fs::path& relative) const
{
    auto path = root_ / metadataFolderName / "files" / relative;
    path += ".metadata";
    return path;
}

} // namespace modelhubkit
