// Model discovery, model-support configuration and model download.

#include "Hushframe/Core/Hushframe.hpp"

#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/Models/ModelUtilities.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/FoundationExtensions.hpp"
#include "PelluxCore/HubWrapper.hpp"
#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Core/BoundedRead.hpp"

#include <nlohmann/json.hpp>

#include <fstream>
#include <set>
#include <sstream>

namespace hushframe {

namespace fs = std::filesystem;
using pelluxcore::HubApiWrapper;
using pelluxcore::Logging;

namespace {

constexpr const char* defaultModelRepo = "dozizizez/hushframe-coreml";
constexpr const char* revision = "main";
// A model-support configuration lists device names and model names: a few
// kilobytes. It comes from the model hub, so a larger one is refused unread.
constexpr std::uintmax_t maximumConfigBytes = 4u << 20;

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

std::string printed(const HubApiWrapper::Repo& repo) {
    return "Repo(id: " + repo.id + ", type: " + std::string(pelluxcore::rawValue(repo.type)) + ")";
}

std::string printedList(const std::vector<std::string>& names) {
    std::string text = "[";
    for (std::size_t i = 0; i < names.size(); ++i) text += (i ? ", " : "") + inQuotes(names[i]);
    return text + "]";
}

// For the pipeline's own errors, reading the description also logs it.
std::string localizedDescription(const std::exception& error) {
    if (const auto* whisper = dynamic_cast<const WhisperError*>(&error)) return whisper->errorDescription();
    return error.what();
}

std::set<std::string> topLevelFolders(const std::vector<std::string>& names) {
    std::set<std::string> folders;
    for (const auto& name : names) folders.insert(name.substr(0, name.find('/')));
    return folders;
}

ModelSupportConfig readModelSupportConfig(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw std::runtime_error("Cannot read " + file.string());
    const auto text = platform::readAtMost(stream, maximumConfigBytes, file.string());
    return platform::parseBoundedJson<nlohmann::ordered_json>(text).get<ModelSupportConfig>();
}

} // namespace

ModelSupport Hushframe::recommendedModels() {
    const std::string device = deviceName();
    Logging::debug("Running on " + device);
    return ModelUtilities::modelSupport(device, Constants::fallbackModelSupportConfig());
}

ModelSupport Hushframe::recommendedRemoteModels(const std::string& from, const std::optional<fs::path>& downloadBase,
                                                const std::optional<std::string>& token,
                                                const std::string& remoteConfigName, const std::string& endpoint,
                                                const modelhubkit::HubApi::Services& hubServices) {
    const std::string device = deviceName();
    const auto config = fetchModelSupportConfig(from, downloadBase, token, remoteConfigName, endpoint, hubServices);
    return config.modelSupport(device);
}

ModelSupportConfig Hushframe::fetchModelSupportConfig(const std::string& from,
                                                      const std::optional<fs::path>& downloadBase,
                                                      const std::optional<std::string>& token,
                                                      const std::string& remoteConfigName,
                                                      const std::string& endpoint,
                                                      const modelhubkit::HubApi::Services& hubServices) {
    const ModelSupportConfig& fallback = Constants::fallbackModelSupportConfig();
    try {
        const HubApiWrapper hub(downloadBase, token, endpoint, false, hubServices);
        const HubApiWrapper::Repo repo{from, HubApiWrapper::RepoType::models};
        Logging::debug("Searching for config file matching " + inQuotes(remoteConfigName) + " in " + from);
        const auto names = hub.getFilenames(repo, revision, {remoteConfigName});
        if (names.empty()) {
            Logging::info("No config files found matching " + inQuotes(remoteConfigName) + " in " + from +
                          ", using fallback");
            return fallback;
        }
        if (names.size() > 1) {
            Logging::info("Multiple config files found (" + std::to_string(names.size()) +
                          "): " + printedList(names) + ". Using first matching file: " + names.front());
        }
        const fs::path folder = hub.snapshot(repo, revision, {names.front()}, [](const modelhubkit::Progress&) {});
        return readModelSupportConfig(folder / names.front());
    } catch (const std::exception& error) {
        Logging::error(std::string("Fetch model support config failed with error: ") + error.what());
    }
    return fallback;
}

std::vector<std::string> Hushframe::fetchAvailableModels(const std::string& from,
                                                         const std::vector<std::string>& matching,
                                                         const std::optional<fs::path>& downloadBase,
                                                         const std::optional<std::string>& token,
                                                         const std::string& remoteConfigName,
                                                         const std::string& endpoint,
                                                         const modelhubkit::HubApi::Services& hubServices) {
    const auto config = fetchModelSupportConfig(from, downloadBase, token, remoteConfigName, endpoint, hubServices);
    const ModelSupport support = config.modelSupport(deviceName());
    std::set<std::string> names;
    for (const auto& glob : matching) {
        for (const auto& name : pelluxcore::matching(support.supported, glob)) names.insert(name);
    }
    return ModelUtilities::formatModelFiles({names.begin(), names.end()});
}

fs::path Hushframe::download(const std::string& variant, const std::optional<fs::path>& downloadBase,
                             bool useBackgroundSession, const std::string& from,
                             const std::optional<std::string>& token, const std::string& endpoint,
                             const DownloadProgressCallback& progressCallback,
                             const modelhubkit::HubApi::Services& hubServices) {
    const HubApiWrapper hub(downloadBase, token, endpoint, useBackgroundSession, hubServices);
    const HubApiWrapper::Repo repo{from, HubApiWrapper::RepoType::models};
    try {
        std::string pattern = "*" + variant + "/*";
        Logging::debug("Searching for models matching " + inQuotes(pattern) + " in " + printed(repo));
        auto folders = topLevelFolders(hub.getFilenames(repo, revision, {pattern}));
        if (folders.size() != 1) {
            // The words are the same whether none or several matched.
            Logging::debug("Multiple models found matching " + inQuotes(pattern));
            pattern = "*openai*" + variant + "/*";
            Logging::debug("Searching for models matching " + inQuotes(pattern) + " in " + printed(repo));
            folders = topLevelFolders(hub.getFilenames(repo, revision, {pattern}));
        }
        if (folders.size() != 1) {
            throw WhisperError::modelsUnavailable(std::string(folders.empty() ? "No" : "Multiple") +
                                                  " models found matching " + inQuotes(pattern) + " in " +
                                                  printed(repo));
        }
        const std::string folder = *folders.begin();
        Logging::debug("Downloading model " + folder + "...");
        const fs::path root = hub.snapshot(repo, revision, {pattern}, [&](const modelhubkit::Progress& progress) {
            Logging::debug(progress.debugDescription());
            if (progressCallback) progressCallback(progress);
        });
        return root / folder;
    } catch (const std::exception& error) {
        Logging::debug(localizedDescription(error));
        throw;
    }
}

void Hushframe::setupModels(const std::optional<std::string>& model, const std::optional<fs::path>& downloadBase,
                            const std::optional<std::string>& modelRepo, const std::optional<std::string>& modelToken,
                            const std::optional<std::string>& modelFolder, bool download,
                            const std::string& remoteConfigName, const std::string& endpoint) {
    if (modelFolder) {
        setModelFolder(fs::path(*modelFolder));
        return;
    }
    if (!download) return;

    const std::string repo = modelRepo.value_or(defaultModelRepo);
    const std::string variant =
        model ? *model
              : recommendedRemoteModels(repo, downloadBase, modelToken, remoteConfigName, endpoint, hubServices())
                    .default_;
    try {
        setModelFolder(Hushframe::download(variant, downloadBase, useBackgroundDownloadSession(), repo, modelToken,
                                           endpoint, {}, hubServices()));
    } catch (const std::exception& error) {
        throw WhisperError::modelsUnavailable(
            "Model not found. Please check the model or repo name and try again.\nError: " +
            std::string(error.what()));
    }
}

} // namespace hushframe
