#pragma once
// Finds a model on disk or fetches it from the model hub: one model file of a
// family build (resolveModel) or every repository file matching some globs
// (resolveRepo). It looks in a model folder, then in the local hub cache, and
// downloads only when nothing usable is there and downloading is allowed.
// Its configuration never changes, so one downloader may serve many threads.

#include "PelluxCore/ModelDownloadConfig.hpp"
#include "PelluxCore/ModelInfo.hpp"
#include "PelluxCore/ModelState.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"
#include "PelluxCore/ModelHubKit/Hub/Progress.hpp"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pelluxcore {

class ModelDownloader {
public:
    // Told `downloading` and `downloaded` as a model is fetched; empty means nobody listens.
    using ModelStateCallback = std::function<void(ModelState state)>;

    // `services` chooses the hub client's transport and network monitor (the
    // process's shared ones when empty).
    explicit ModelDownloader(ModelDownloadConfig config, modelhubkit::HubApi::Services services = {});
    ModelDownloader(std::string endpoint, std::string repoName, std::optional<std::string> modelToken,
                    std::string revision, bool useBackgroundSession, modelhubkit::HubApi::Services services = {});
    virtual ~ModelDownloader() = default;

    const ModelDownloadConfig& config() const { return config_; }

    // The repository's local folder once the files of the model's download
    // pattern are in it. With useOfflineMode true, fails when the local copy
    // has none of them.
    virtual std::filesystem::path downloadModel(const ModelInfo& modelInfo,
                                                const std::optional<std::filesystem::path>& downloadBase,
                                                std::optional<bool> useOfflineMode) const;
    // <download base>/models/<repository>; its existence is not tested.
    virtual std::filesystem::path localRepoLocation(const std::optional<std::filesystem::path>& downloadBase) const;
    // The model file named (without extension) of the model build.
    virtual std::filesystem::path resolveModel(const std::string& name, const ModelInfo& modelInfo,
                                               const std::optional<std::filesystem::path>& modelFolder,
                                               const std::optional<std::filesystem::path>& downloadBase, bool download,
                                               const ModelStateCallback& modelStateCallback) const;
    virtual std::string resolveModelPath(const std::string& name, const ModelInfo& modelInfo,
                                         const std::optional<std::filesystem::path>& modelFolder,
                                         const std::optional<std::filesystem::path>& downloadBase, bool download,
                                         const ModelStateCallback& modelStateCallback) const;
    // The repository's local folder holding every file of the patterns.
    virtual std::filesystem::path resolveRepo(const std::vector<std::string>& patterns,
                                              const std::optional<std::filesystem::path>& downloadBase, bool download,
                                              const modelhubkit::ProgressHandler& progressCallback) const;
    // Repository-relative names of the remote files that match.
    virtual std::vector<std::string> fetchFilenames(const std::vector<std::string>& matching,
                                                    const std::optional<std::filesystem::path>& downloadBase) const;
    virtual std::optional<std::filesystem::path> modelURLIfExists(const std::filesystem::path& inFolder,
                                                                  const std::string& named) const;

private:
    // Only the literal folder prefix of each pattern is checked: it must be a
    // folder with at least one entry.
    virtual bool patternsExistLocally(const std::vector<std::string>& patterns,
                                      const std::filesystem::path& in) const;

    std::optional<std::filesystem::path> effectiveBase(const std::optional<std::filesystem::path>& downloadBase) const;
    modelhubkit::HubApi hubApi(const std::optional<std::filesystem::path>& downloadBase,
                               std::optional<bool> useOfflineMode = std::nullopt) const;
    modelhubkit::Repo repo() const;

    ModelDownloadConfig config_;
    modelhubkit::HubApi::Services services_;
};

} // namespace pelluxcore
