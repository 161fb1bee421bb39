#pragma once
// Where a multilingual Nemotron variant lives on disk and in the model
// repository: "nemotron-multilingual/<latin|multilingual>/<chunk>ms".

#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/SharedNemotronMultilingualModels.hpp"
#include "RazeziRuzer/DownloadProgress.hpp"

#include <filesystem>
#include <optional>
#include <string>

namespace razeziruzer::NemotronMultilingualVariant {

// "latin" for en, es, fr, it, pt and de (any case, no region), else "multilingual".
std::string languageDirectory(const std::string& languageCode);

// The variant folder under root (default: the user's data folder +
// "RazeziRuzer/Models"); downloaded, without ".mlpackage" files, unless its
// "metadata.json" is already there. Download failures pass through.
std::filesystem::path download(const std::string& languageCode, int chunkMs,
                               const std::optional<std::filesystem::path>& root,
                               const DownloadUtils::ProgressHandler& progressHandler = {});

// Downloads, then loads the folder (refused without the neural engine; the
// files stay).
SharedNemotronMultilingualModels downloadAndPreloadShared(
    const std::string& languageCode, int chunkMs, const std::optional<std::filesystem::path>& root,
    const std::optional<platform::coreml::MLModelConfiguration>& configuration,
    const DownloadUtils::ProgressHandler& progressHandler = {},
    const NeuralEngineCheck& neuralEngineCheck = hasNeuralEngine);

} // namespace razeziruzer::NemotronMultilingualVariant
