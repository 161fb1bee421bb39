#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualVariant.hpp"

#include "Platform/Files/XdgDirectories.hpp"
#include "Platform/Text/CaseMapping.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/ModelNames.hpp"
#include "RazeziRuzer/Repo.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <array>

namespace razeziruzer::NemotronMultilingualVariant {

std::string languageDirectory(const std::string& languageCode) {
    static constexpr std::array<const char*, 6> latin{"en", "es", "fr", "it", "pt", "de"};
    const auto lowered = platform::text::lowercased(languageCode);
    for (const char* code : latin) {
        if (lowered == code) return "latin";
    }
    return "multilingual";
}

std::filesystem::path download(const std::string& languageCode, int chunkMs,
                               const std::optional<std::filesystem::path>& root,
                               const DownloadUtils::ProgressHandler& progressHandler) {
    const AppLogger logger("NemotronMultilingualStreaming");
    const auto subdirectory = languageDirectory(languageCode) + "/" + std::to_string(chunkMs) + "ms";
    const auto base = root.value_or(platform::files::dataHome() / "RazeziRuzer" / "Models");
    const auto repositoryFolder = base / folderName(Repo::nemotronMultilingual);
    const auto variantFolder = repositoryFolder / subdirectory;
    std::error_code ignored;
    if (std::filesystem::exists(variantFolder / ModelNames::NemotronMultilingualStreaming::metadata, ignored)) {
        logger.info("Using cached multilingual variant at " + variantFolder.string());
        return variantFolder;
    }
    logger.info("Downloading multilingual variant " + subdirectory + " (.mlmodelc only)...");
    DownloadUtils::downloadSubdirectory(Repo::nemotronMultilingual, subdirectory, repositoryFolder, progressHandler,
                                        [](std::string_view path) { return path.find(".mlpackage") != std::string_view::npos; });
    return variantFolder;
}

SharedNemotronMultilingualModels downloadAndPreloadShared(
    const std::string& languageCode, int chunkMs, const std::optional<std::filesystem::path>& root,
    const std::optional<platform::coreml::MLModelConfiguration>& configuration,
    const DownloadUtils::ProgressHandler& progressHandler, const NeuralEngineCheck& neuralEngineCheck) {
    const auto folder = download(languageCode, chunkMs, root, progressHandler);
    return SharedNemotronMultilingualModels::load(folder, configuration, neuralEngineCheck);
}

} // namespace razeziruzer::NemotronMultilingualVariant
