#pragma once
// Where a model downloader looks for models and which hub repository it
// fetches them from. Paths are file-system paths.

#include <optional>
#include <string>

namespace pelluxcore {

struct ModelDownloadConfig {
    // Absent: the hub client's own default folder.
    std::optional<std::string> downloadBase;
    // owner/name
    std::string modelRepo;
    // Absent: the hub client finds a token by its own rule.
    std::optional<std::string> modelToken;
    // Searched before any cache or download.
    std::optional<std::string> modelFolder;
    bool useBackgroundSession = false;
    std::string endpoint;
    std::string revision;

    bool operator==(const ModelDownloadConfig&) const = default;
};

} // namespace pelluxcore
