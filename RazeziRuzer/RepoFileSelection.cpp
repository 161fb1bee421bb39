#include "RazeziRuzer/RepoFileSelection.hpp"

namespace razeziruzer::DownloadUtils {

RepoFileSelection::RepoFileSelection(std::optional<std::string> subPath, const ModelNameSet& requiredNames)
    : subPath_(std::move(subPath)) {
    for (const auto& name : requiredNames) {
        prefixes_.push_back(subPath_ ? *subPath_ + "/" + name + "/" : name + "/");
    }
}

bool RepoFileSelection::startsWithSomePrefix(std::string_view path) const {
    for (const auto& prefix : prefixes_) {
        if (path.starts_with(prefix)) return true;
    }
    return false;
}

bool RepoFileSelection::shouldDescend(std::string_view directoryPath) const {
    if (startsWithSomePrefix(directoryPath)) return true;
    const auto asFolder = std::string(directoryPath) + "/";
    for (const auto& prefix : prefixes_) {
        if (prefix.starts_with(asFolder)) return true;
    }
    if (!subPath_) return prefixes_.empty();
    return directoryPath == *subPath_ || directoryPath.starts_with(*subPath_ + "/");
}

bool RepoFileSelection::shouldSelect(std::string_view filePath) const {
    if (!subPath_) {
        return prefixes_.empty() || startsWithSomePrefix(filePath) || filePath.ends_with(".json") ||
               filePath.ends_with(".txt");
    }
    if (!filePath.starts_with(*subPath_ + "/")) return false;
    return filePath.ends_with(".json") || filePath.ends_with(".model") || prefixes_.empty() ||
           startsWithSomePrefix(filePath) || filePath.ends_with(".bin");
}

std::string RepoFileSelection::localPath(std::string_view repositoryPath) const {
    if (subPath_) {
        const auto lead = *subPath_ + "/";
        if (repositoryPath.starts_with(lead)) return std::string(repositoryPath.substr(lead.size()));
    }
    return std::string(repositoryPath);
}

} // namespace razeziruzer::DownloadUtils
