#pragma once
// The loaded pair of online-diarizer models (speaker segmentation and speaker
// embedding), found in the local model cache, downloaded when missing, or
// loaded from given bundles, with the time that took.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/DownloadProgress.hpp"
#include "RazeziRuzer/ModelNameSet.hpp"

#include <filesystem>
#include <optional>

namespace razeziruzer {

struct DiarizerModels {
    platform::coreml::MLModel segmentationModel;
    platform::coreml::MLModel embeddingModel;
    double compilationDuration = 0;  // seconds of the whole operation

    static const ModelNameSet& requiredModelNames();

    // ".../RazeziRuzer/Models/speaker-diarization".
    static std::filesystem::path defaultModelsDirectory();
    // All compute units, or CPU and Neural Engine when CI is set (even empty);
    // low-precision GPU accumulation allowed.
    static platform::coreml::MLModelConfiguration defaultConfiguration();

    // The models live in the repository folder "speaker-diarization": the
    // given directory itself when it has that name, else that folder inside
    // it. Download and load errors pass through; a result without both
    // bundles is DiarizerError::modelDownloadFailed. The progress handler is
    // accepted and not called.
    static DiarizerModels download(const std::optional<std::filesystem::path>& to = std::nullopt,
                                   const std::optional<platform::coreml::MLModelConfiguration>& configuration = std::nullopt,
                                   const DownloadUtils::ProgressHandler& progressHandler = {});
    static DiarizerModels load(const std::optional<std::filesystem::path>& from = std::nullopt,
                               const std::optional<platform::coreml::MLModelConfiguration>& configuration = std::nullopt,
                               const DownloadUtils::ProgressHandler& progressHandler = {});
    static DiarizerModels downloadIfNeeded(
        const std::optional<std::filesystem::path>& to = std::nullopt,
        const std::optional<platform::coreml::MLModelConfiguration>& configuration = std::nullopt,
        const DownloadUtils::ProgressHandler& progressHandler = {});

    // The two bundles as given; no cache and no hub.
    static DiarizerModels load(const std::filesystem::path& localSegmentationModel,
                               const std::filesystem::path& localEmbeddingModel,
                               const std::optional<platform::coreml::MLModelConfiguration>& configuration = std::nullopt);

    // Where download(to:) keeps the repository for that directory.
    static std::filesystem::path repositoryFolder(const std::filesystem::path& directory);
};

} // namespace razeziruzer
