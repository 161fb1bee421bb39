#pragma once
// Which entries of a repository's hub listing a repository download takes:
// the folders it descends into, the files it selects, and where a selected
// file lands below the repository's local folder.

#include "RazeziRuzer/ModelNameSet.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace razeziruzer::DownloadUtils {

class RepoFileSelection {
public:
    RepoFileSelection(std::optional<std::string> subPath, const ModelNameSet& requiredNames);

    // One per required name, in the set's order: "<sub-path>/<name>/" or "<name>/".
    const std::vector<std::string>& prefixes() const { return prefixes_; }

    bool shouldDescend(std::string_view directoryPath) const;
    bool shouldSelect(std::string_view filePath) const;
    // The repository path without the leading sub-path.
    std::string localPath(std::string_view repositoryPath) const;

private:
    bool startsWithSomePrefix(std::string_view path) const;

    std::optional<std::string> subPath_;
    std::vector<std::string> prefixes_;
};

} // namespace razeziruzer::DownloadUtils
