#pragma once
// The model-hub client: lists a repository's files, brings matching files
// into a local copy of the repository, and names where that copy lives. When
// offline (asked for, or no network path) it answers from the local copy so
// that a stored model starts without a network. Calls block on the caller's
// thread; one client may serve several threads at once.

#include "PelluxCore/ModelHubKit/Hub/NetworkMonitor.hpp"
#include "PelluxCore/ModelHubKit/Hub/Progress.hpp"
#include "PelluxCore/ModelHubKit/Hub/Repo.hpp"
#include "PelluxCore/ModelHubKit/Hub/RevisionInfo.hpp"
#include "Platform/Http/HttpTransport.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace modelhubkit {

class HubApi {
public:
    // What the client talks through; each defaults to the process's shared one.
    struct Services {
        std::shared_ptr<platform::HttpTransport> transport;
        std::shared_ptr<const NetworkMonitor> networkMonitor;
    };

    // Absent values take the defaults of HubEnvironment.hpp. useOfflineMode
    // absent lets the network monitor decide on every call.
    explicit HubApi(std::optional<std::filesystem::path> downloadBase = std::nullopt,
                    std::optional<std::string> hfToken = std::nullopt,
                    std::optional<std::string> endpoint = std::nullopt, bool useBackgroundSession = false,
                    std::optional<bool> useOfflineMode = std::nullopt, Services services = {});

    // Built once with every default.
    static const HubApi& shared();

    const std::filesystem::path& downloadBase() const { return downloadBase_; }
    const std::optional<std::string>& hfToken() const { return hfToken_; }
    const std::string& endpoint() const { return endpoint_; }
    // Linux has no background transfer service: the flag is kept for callers
    // that read it back, and transfers run on the caller's thread either way.
    bool useBackgroundSession() const { return useBackgroundSession_; }
    std::optional<bool> useOfflineMode() const { return useOfflineMode_; }
    bool isOffline() const;

    // <downloadBase>/<type>/<owner>/<name>; touches no file.
    std::filesystem::path localRepoLocation(const Repo& repo) const;

    // The repository's file paths at revision that match any glob (all of
    // them for no globs), each once. Offline, or when the hub cannot be
    // reached and a local copy exists: the stored files instead.
    std::vector<std::string> getFilenames(const Repo& from, const std::string& revision = "main",
                                          const std::vector<std::string>& matching = {},
                                          std::stop_token stop = {}) const;

    // Makes every matching file of the revision present in
    // localRepoLocation(from) and returns that folder. Offline, it returns
    // the folder when at least one matching file is stored there, and throws
    // HubError (offline) otherwise.
    std::filesystem::path snapshot(const Repo& from, const std::string& revision,
                                   const std::vector<std::string>& matching,
                                   const ProgressHandler& progressHandler = {}, std::stop_token stop = {}) const;
    // The same at revision "main".
    std::filesystem::path snapshot(const Repo& from, const std::vector<std::string>& matching,
                                   const ProgressHandler& progressHandler = {}, std::stop_token stop = {}) const;

private:
    RevisionInfo fetchRevisionInfo(const Repo& repo, const std::string& revision, std::stop_token stop) const;
    std::vector<std::string> storedFilenames(const Repo& repo, const std::vector<std::string>& globs) const;
    bool hasStoredFiles(const Repo& repo, const std::vector<std::string>& globs) const;
    std::filesystem::path offlineSnapshot(const Repo& repo, const std::vector<std::string>& globs,
                                          const ProgressHandler& progressHandler) const;
    void downloadFiles(const Repo& repo, const std::string& revision, const RevisionInfo& info,
                       const std::vector<std::string>& files, const ProgressHandler& progressHandler,
                       std::stop_token stop) const;

    std::filesystem::path downloadBase_;
    std::optional<std::string> hfToken_;
    std::string endpoint_;
    bool useBackgroundSession_ = false;
    std::optional<bool> useOfflineMode_;
    Services services_;
};

} // namespace modelhubkit
