#pragma once
// The local copy of one repository: its files at their repository paths, and
// beside them, in a reserved folder, one metadata record per downloaded file
// and the temporary files of transfers in progress.

#include "PelluxCore/ModelHubKit/Hub/FileMetadata.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace modelhubkit {

class LocalRepoFolder {
public:
    explicit LocalRepoFolder(std::filesystem::path root);

    const std::filesystem::path& root() const { return root_; }
    bool exists() const;

    // The repository paths ("/"-separated) of every stored file, sorted;
    // records and temporary files are not repository files.
    std::vector<std::string> storedFiles() const;

    // The file's record, or none when there is none or it cannot be read.
    std::optional<FileMetadata> metadata(const std::filesystem::path& relative) const;
    // Replaces the record atomically. Throws platform::files::FileError.
    void saveMetadata(const std::filesystem::path& relative, const FileMetadata& metadata) const;
    // The stored file's size, or none when no regular file is there.
    std::optional<std::uint64_t> storedSize(const std::filesystem::path& relative) const;

    // Where transfers write before their file is moved into place: inside
    // the repository folder, so the move is a rename.
    std::filesystem::path temporaryFolder() const;

private:
    std::filesystem::path metadataPath(const std::filesystem::path& relative) const;

    std::filesystem::path root_;
};

} // namespace modelhubkit
