#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"

#include "PelluxCore/ModelHubKit/Hub/FileFetcher.hpp"
#include "PelluxCore/ModelHubKit/Hub/GlobMatch.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubEnvironment.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubRequest.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubUrls.hpp"
#include "PelluxCore/ModelHubKit/Hub/LocalRepoFolder.hpp"
#include "PelluxCore/ModelHubKit/Hub/RepoPath.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Http/HttpClient.hpp"
#include "Platform/Http/HttpError.hpp"

#include <algorithm>
#include <unordered_set>

namespace modelhubkit {
namespace {

namespace fs = std::filesystem;

const platform::Logger& logger()
{
    static const platform::Logger instance("modelhub-kit", "Hub");
    return instance;
}

HubApi::Services withDefaults(HubApi::Services services)
{
    if (!services.transport)
        services.transport = std::shared_ptr<platform::HttpTransport>(std::shared_ptr<void>(),
                                                                      &platform::HttpClient::shared());
    if (!services.networkMonitor)
        services.networkMonitor = NetworkMonitor::shared();
    return services;
}

std::string withoutTrailingSlashes(std::string text)
{
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// Failures that say the hub is out of reach, as opposed to a hub that
// answered badly or a transfer the caller cancelled.
bool isUnreachable(const platform::HttpError& error)
{
    using Kind = platform::HttpErrorKind;
    return error.kind() == Kind::cannotConnect || error.kind() == Kind::hostNotFound || error.kind() == Kind::timedOut;
}

// Each matching name once, in the hub's order; every name is checked before
// anyone builds a path from it.
std::vector<std::string> matchingFiles(const std::vector<std::string>& names, const std::vector<std::string>& globs)
{
    std::vector<std::string> files;
    std::unordered_set<std::string> seen;
    for (const auto& name : names) {
        if (!matchesAnyGlob(name, globs) || !seen.insert(name).second)
            continue;
        checkedRepoFilePath(name);
        files.push_back(name);
    }
    return files;
}

std::string globList(const std::vector<std::string>& globs)
{
    std::string text;
    for (const auto& glob : globs)
        text += (text.empty() ? "\"" : ", \"") + glob + "\"";
    return text.empty() ? "any file" : text;
}

} // namespace

HubApi::HubApi(std::optional<fs::path> downloadBase, std::optional<std::string> hfToken,
               std::optional<std::string> endpoint, bool useBackgroundSession, std::optional<bool> useOfflineMode,
               Services services)
    : downloadBase_(downloadBase ? std::move(*downloadBase) : defaultDownloadBase()),
      hfToken_(hfToken ? std::move(hfToken) : resolveHubToken()),
      endpoint_(endpoint ? withoutTrailingSlashes(std::move(*endpoint)) : resolveHubEndpoint()),
      useBackgroundSession_(useBackgroundSession), useOfflineMode_(useOfflineMode),
      services_(withDefaults(std::move(services)))
{
}

const HubApi& HubApi::shared()
{
    static const HubApi api;
    return api;
}

bool HubApi::isOffline() const
{
    return useOfflineMode_.value_or(!services_.networkMonitor->isSatisfied());
}

fs::path HubApi::localRepoLocation(const Repo& repo) const
{
    fs::path location = downloadBase_ / std::string(rawValue(repo.type));
    std::string_view rest = repo.id;
    while (true) {
        const auto slash = rest.find('/');
        location /= std::string(rest.substr(0, slash));
        if (slash == std::string_view::npos)
            return location;
        rest.remove_prefix(slash + 1);
    }
}

std::vector<std::string> HubApi::getFilenames(const Repo& from, const std::string& revision,
                                              const std::vector<std::string>& matching, std::stop_token stop) const
{
    checkedRepoIdPath(from.id);
    if (isOffline())
        return storedFilenames(from, matching);
    try {
        return matchingFiles(fetchRevisionInfo(from, revision, stop).filenames, matching);
    } catch (const platform::HttpError& error) {
        if (!isUnreachable(error) || !LocalRepoFolder(localRepoLocation(from)).exists())
            throw;
        logger().notice("The hub is out of reach (" + error.description() + "); listing the stored files of " +
                        describe(from));
        return storedFilenames(from, matching);
    }
}

fs::path HubApi::snapshot(const Repo& from, const std::string& revision, const std::vector<std::string>& matching,
                          const ProgressHandler& progressHandler, std::stop_token stop) const
{
    checkedRepoIdPath(from.id);
    if (isOffline())
        return offlineSnapshot(from, matching, progressHandler);
    RevisionInfo info;
    try {
        info = fetchRevisionInfo(from, revision, stop);
    } catch (const platform::HttpError& error) {
        if (!isUnreachable(error) || !hasStoredFiles(from, matching))
            throw;
        logger().notice("The hub is out of reach (" + error.description() + "); using the stored files of " +
                        describe(from));
        return offlineSnapshot(from, matching, progressHandler);
    }
    downloadFiles(from, revision, info, matchingFiles(info.filenames, matching), progressHandler, stop);
    return localRepoLocation(from);
}

fs::path HubApi::snapshot(const Repo& from, const std::vector<std::string>& matching,
                          const ProgressHandler& progressHandler, std::stop_token stop) const
{
    return snapshot(from, "main", matching, progressHandler, std::move(stop));
}

RevisionInfo HubApi::fetchRevisionInfo(const Repo& repo, const std::string& revision, std::stop_token stop) const
{
    const auto url = revisionInfoUrl(endpoint_, repo, revision);
    const auto response = services_.transport->send(hubRequest("GET", url, hfToken_), std::move(stop));
    checkStatus(response, url);
    return RevisionInfo::parse(response.body);
}

std::vector<std::string> HubApi::storedFilenames(const Repo& repo, const std::vector<std::string>& globs) const
{
    const LocalRepoFolder folder(localRepoLocation(repo));
    if (!folder.exists())
        throw HubError(HubErrorKind::offline, "The hub cannot be reached and " + describe(repo) +
                                                  " is not stored at " + folder.root().string());
    auto files = folder.storedFiles();
    std::erase_if(files, [&globs](const auto& file) { return !matchesAnyGlob(file, globs); });
    return files;
}

bool HubApi::hasStoredFiles(const Repo& repo, const std::vector<std::string>& globs) const
{
    return LocalRepoFolder(localRepoLocation(repo)).exists() && !storedFilenames(repo, globs).empty();
}

fs::path HubApi::offlineSnapshot(const Repo& repo, const std::vector<std::string>& globs,
                                 const ProgressHandler& progressHandler) const
{
    const auto files = storedFilenames(repo, globs);
    if (files.empty())
        throw HubError(HubErrorKind::offline, "The hub cannot be reached and no file of " + describe(repo) +
                                                  " matching " + globList(globs) + " is stored at " +
                                                  localRepoLocation(repo).string());
    if (progressHandler) {
        const auto count = static_cast<std::int64_t>(files.size());
        progressHandler(Progress{count, count, 1.0});
    }
    return localRepoLocation(repo);
}

void HubApi::downloadFiles(const Repo& repo, const std::string& revision, const RevisionInfo& info,
                           const std::vector<std::string>& files, const ProgressHandler& progressHandler,
                           std::stop_token stop) const
{
    const LocalRepoFolder folder(localRepoLocation(repo));
    const FileFetcher fetcher(*services_.transport, folder);
    // Fetching by commit keeps every file of one snapshot from the same commit.
    const std::string& fileRevision = info.commitHash.empty() ? revision : info.commitHash;
    Progress progress{static_cast<std::int64_t>(files.size()), 0, files.empty() ? 1.0 : 0.0};
    const auto report = [&](double fileFraction) {
        if (!progressHandler)
            return;
        const double done = static_cast<double>(progress.completedUnitCount) + std::clamp(fileFraction, 0.0, 1.0);
        progress.fractionCompleted = done / static_cast<double>(std::max<std::int64_t>(progress.totalUnitCount, 1));
        progressHandler(progress);
    };
    report(files.empty() ? 1.0 : 0.0);
    for (const auto& file : files) {
        if (stop.stop_requested())
            throw platform::HttpError(platform::HttpErrorKind::cancelled);
        const FileFetch fetch{fileUrl(endpoint_, repo, fileRevision, file), checkedRepoFilePath(file),
                              info.commitHash, hfToken_};
        const auto outcome = fetcher.fetch(fetch, report, stop);
        logger().debug((outcome == FetchOutcome::upToDate ? "Up to date: " : "Downloaded: ") + describe(repo) + "/" +
                       file);
        ++progress.completedUnitCount;
        report(0.0);
    }
}

} // namespace modelhubkit
