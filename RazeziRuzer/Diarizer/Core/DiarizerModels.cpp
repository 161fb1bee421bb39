#include "RazeziRuzer/Diarizer/Core/DiarizerModels.hpp"

#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/ModelNamesDiarization.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/MLModelConfigurationUtils.hpp"

#include <chrono>
#include <cstdlib>
#include <vector>

namespace razeziruzer {
namespace {

using platform::coreml::MLComputeUnits;
using platform::coreml::MLModelConfiguration;
using Clock = std::chrono::steady_clock;

const AppLogger& logger() {
    static const AppLogger shared("DiarizerModels");
    return shared;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

const ModelNameSet& DiarizerModels::requiredModelNames() { return ModelNames::Diarizer::requiredModels(); }

std::filesystem::path DiarizerModels::defaultModelsDirectory() {
    return MLModelConfigurationUtils::defaultModelsDirectory(Repo::diarizer);
}

MLModelConfiguration DiarizerModels::defaultConfiguration() {
    MLModelConfiguration configuration;
    configuration.allowLowPrecisionAccumulationOnGPU = true;
    configuration.computeUnits =
        std::getenv("CI") != nullptr ? MLComputeUnits::cpuAndNeuralEngine : MLComputeUnits::all;
    return configuration;
}

std::filesystem::path DiarizerModels::repositoryFolder(const std::filesystem::path& directory) {
    // A directory already named after the repository is the repository folder
    // (the default is); any other directory keeps its own name and holds it.
    const auto folder = folderName(Repo::diarizer);
    const auto trimmed = directory.has_filename() ? directory : directory.parent_path();
    return trimmed.filename() == folder ? trimmed : trimmed / folder;
}

DiarizerModels DiarizerModels::download(const std::optional<std::filesystem::path>& to,
                                        const std::optional<MLModelConfiguration>& configuration,
                                        const DownloadUtils::ProgressHandler&) {
    logger().info("Checking for diarizer models...");
    const auto started = Clock::now();
    const auto directory = to.value_or(defaultModelsDirectory());
    const auto computeUnits = configuration.value_or(defaultConfiguration()).computeUnits;
    const auto& names = requiredModelNames();
    // The loader logs the host summary once per process.
    auto models = DownloadUtils::loadModels(Repo::diarizer, std::vector<std::string>(names.begin(), names.end()),
                                            repositoryFolder(directory).parent_path(), computeUnits);
    const auto segmentation = models.find(std::string(ModelNames::Diarizer::segmentationFile));
    const auto embedding = models.find(std::string(ModelNames::Diarizer::embeddingFile));
    if (segmentation == models.end() || embedding == models.end()) throw DiarizerError::modelDownloadFailed();
    return {segmentation->second, embedding->second, secondsSince(started)};
}

DiarizerModels DiarizerModels::load(const std::optional<std::filesystem::path>& from,
                                    const std::optional<MLModelConfiguration>& configuration,
                                    const DownloadUtils::ProgressHandler& progressHandler) {
    return download(from, configuration, progressHandler);
}

DiarizerModels DiarizerModels::downloadIfNeeded(const std::optional<std::filesystem::path>& to,
                                                const std::optional<MLModelConfiguration>& configuration,
                                                const DownloadUtils::ProgressHandler& progressHandler) {
    return download(to, configuration, progressHandler);
}

DiarizerModels DiarizerModels::load(const std::filesystem::path& localSegmentationModel,
                                    const std::filesystem::path& localEmbeddingModel,
                                    const std::optional<MLModelConfiguration>& configuration) {
    logger().info("Loading predownloaded models");
    const auto used = configuration.value_or(defaultConfiguration());
    const auto started = Clock::now();
    auto segmentation = platform::coreml::MLModel::load(localSegmentationModel, used);
    auto embedding = platform::coreml::MLModel::load(localEmbeddingModel, used);
    return {std::move(segmentation), std::move(embedding), secondsSince(started)};
}

} // namespace razeziruzer
