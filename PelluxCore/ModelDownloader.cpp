#include "PelluxCore/ModelDownloader.hpp"

#include "PelluxCore/Logging.hpp"
#include "PelluxCore/ModelDownloaderError.hpp"
#include "PelluxCore/ModelUtilities.hpp"

#include <exception>

namespace pelluxcore {

namespace fs = std::filesystem;

namespace {

constexpr const char* prefix = "[ModelDownloader] ";

void report(const ModelDownloader::ModelStateCallback& callback, ModelState state) {
    if (callback) callback(state);
}

// The components of the pattern before its first wildcard, empty ones dropped.
std::vector<std::string> literalPrefix(const std::string& pattern) {
    std::vector<std::string> components;
    std::size_t start = 0;
    while (start <= pattern.size()) {
        const std::size_t slash = std::min(pattern.find('/', start), pattern.size());
        const std::string component = pattern.substr(start, slash - start);
        start = slash + 1;
        if (component.empty()) continue;
        if (component.find('*') != std::string::npos) break;
        components.push_back(component);
    }
    return components;
}

// A failed listing counts as empty.
bool isNonEmptyFolder(const fs::path& path) {
    std::error_code error;
    if (!fs::exists(path, error)) return false;
    const fs::directory_iterator entries(path, error);
    return !error && entries != fs::directory_iterator();
}

} // namespace

ModelDownloader::ModelDownloader(ModelDownloadConfig config, modelhubkit::HubApi::Services services)
    : config_(std::move(config)), services_(std::move(services)) {}

ModelDownloader::ModelDownloader(std::string endpoint, std::string repoName, std::optional<std::string> modelToken,
                                 std::string revision, bool useBackgroundSession,
                                 modelhubkit::HubApi::Services services)
    : ModelDownloader(ModelDownloadConfig{.downloadBase = std::nullopt,
                                          .modelRepo = std::move(repoName),
                                          .modelToken = std::move(modelToken),
                                          .modelFolder = std::nullopt,
                                          .useBackgroundSession = useBackgroundSession,
                                          .endpoint = std::move(endpoint),
                                          .revision = std::move(revision)},
                      std::move(services)) {}

fs::path ModelDownloader::downloadModel(const ModelInfo& modelInfo, const std::optional<fs::path>& downloadBase,
                                        std::optional<bool> useOfflineMode) const {
    const std::string pattern = modelInfo.downloadPattern();
    const modelhubkit::HubApi hub = hubApi(effectiveBase(downloadBase), useOfflineMode);
    const bool offline = useOfflineMode.value_or(false);
    if (offline) {
        Logging::debug(std::string(prefix) + "Searching for models matching \"" + pattern + "\" in " +
                       modelhubkit::describe(repo()));
        if (hub.getFilenames(repo(), config_.revision, {pattern}).empty()) {
            throw ModelDownloaderError::modelUnavailable("No models found matching \"" + pattern + "\" in " +
                                                         config_.modelRepo);
        }
    }
    Logging::debug(std::string(prefix) + "Downloading model " + pattern +
                   " with offline mode: " + (offline ? "true" : "false"));
    return hub.snapshot(repo(), config_.revision, {pattern});
}

fs::path ModelDownloader::localRepoLocation(const std::optional<fs::path>& downloadBase) const {
    return hubApi(effectiveBase(downloadBase)).localRepoLocation(repo());
}

fs::path ModelDownloader::resolveModel(const std::string& name, const ModelInfo& modelInfo,
                                       const std::optional<fs::path>& modelFolder,
                                       const std::optional<fs::path>& downloadBase, bool download,
                                       const ModelStateCallback& modelStateCallback) const {
    std::optional<fs::path> folder = modelFolder;
    if (!folder && config_.modelFolder) folder = fs::path(*config_.modelFolder);
    if (folder) {
        if (auto url = ModelDownloader::modelURLIfExists(modelInfo.modelURL(*folder), name)) {
            Logging::debug(std::string(prefix) + "Found " + name + " in model folder");
            return *url;
        }
    }

    const std::optional<fs::path> base = effectiveBase(downloadBase);
    std::optional<fs::path> cached;
    try {
        cached = ModelDownloader::downloadModel(modelInfo, base, true);
    } catch (const std::exception&) {
        // A cache that cannot answer is a miss; the download below decides.
    }
    if (cached) {
        if (auto url = ModelDownloader::modelURLIfExists(modelInfo.modelURL(*cached), name)) {
            Logging::debug(std::string(prefix) + "Found existing " + name + " in cache");
            report(modelStateCallback, ModelState::downloaded);
            return *url;
        }
    }

    if (!download) throw ModelDownloaderError::modelUnavailable("No model found for " + name + " (download disabled)");

    report(modelStateCallback, ModelState::downloading);
    const fs::path downloaded = ModelDownloader::downloadModel(modelInfo, base, std::nullopt);
    const auto url = ModelDownloader::modelURLIfExists(modelInfo.modelURL(downloaded), name);
    if (!url) throw ModelDownloaderError::modelUnavailable("No model found for " + name);
    Logging::debug(std::string(prefix) + "Downloaded " + name);
    report(modelStateCallback, ModelState::downloaded);
    return *url;
}

std::string ModelDownloader::resolveModelPath(const std::string& name, const ModelInfo& modelInfo,
                                              const std::optional<fs::path>& modelFolder,
                                              const std::optional<fs::path>& downloadBase, bool download,
                                              const ModelStateCallback& modelStateCallback) const {
    return resolveModel(name, modelInfo, modelFolder, downloadBase, download, modelStateCallback).string();
}

fs::path ModelDownloader::resolveRepo(const std::vector<std::string>& patterns,
                                      const std::optional<fs::path>& downloadBase, bool download,
                                      const modelhubkit::ProgressHandler& progressCallback) const {
    const std::optional<fs::path> base = effectiveBase(downloadBase);
    const fs::path repoFolder = ModelDownloader::localRepoLocation(base);
    if (patternsExistLocally(patterns, repoFolder)) {
        Logging::debug(std::string(prefix) + "All models found in local cache at " + repoFolder.string());
        return repoFolder;
    }
    if (!download) {
        throw ModelDownloaderError::modelUnavailable("No local models found for repo '" + config_.modelRepo +
                                                     "' and download is disabled.");
    }
    const modelhubkit::HubApi hub = hubApi(base);
    Logging::info(std::string(prefix) + "Downloading " + std::to_string(patterns.size()) + " model(s) from " +
                  config_.modelRepo + "...");
    const modelhubkit::ProgressHandler handler =
        progressCallback ? progressCallback : modelhubkit::ProgressHandler([](const modelhubkit::Progress&) {});
    const fs::path folder = hub.snapshot(repo(), config_.revision, patterns, handler);
    Logging::info(std::string(prefix) + "Download complete: " + folder.string());
    return folder;
}

std::vector<std::string> ModelDownloader::fetchFilenames(const std::vector<std::string>& matching,
                                                         const std::optional<fs::path>& downloadBase) const {
    return hubApi(effectiveBase(downloadBase)).getFilenames(repo(), config_.revision, matching);
}

std::optional<fs::path> ModelDownloader::modelURLIfExists(const fs::path& inFolder, const std::string& named) const {
    fs::path url = ModelUtilities::detectModelURL(inFolder, named);
    std::error_code error;
    if (!fs::exists(url, error)) return std::nullopt;
    return url;
}

bool ModelDownloader::patternsExistLocally(const std::vector<std::string>& patterns, const fs::path& in) const {
    for (const auto& pattern : patterns) {
        const std::vector<std::string> components = literalPrefix(pattern);
        if (components.empty()) return false;
        fs::path path = in;
        for (const auto& component : components) path /= component;
        if (!isNonEmptyFolder(path)) return false;
    }
    return true;
}

std::optional<fs::path> ModelDownloader::effectiveBase(const std::optional<fs::path>& downloadBase) const {
    if (downloadBase) return downloadBase;
    if (config_.downloadBase) return fs::path(*config_.downloadBase);
    return std::nullopt;
}

modelhubkit::HubApi ModelDownloader::hubApi(const std::optional<fs::path>& downloadBase,
                                            std::optional<bool> useOfflineMode) const {
    return modelhubkit::HubApi(downloadBase, config_.modelToken, config_.endpoint, config_.useBackgroundSession,
                               useOfflineMode, services_);
}

modelhubkit::Repo ModelDownloader::repo() const {
    return modelhubkit::Repo{config_.modelRepo, modelhubkit::RepoType::models};
}

} // namespace pelluxcore
