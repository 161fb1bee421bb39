#pragma once
// The speech package's standard model configuration and where its models live
// on disk.

#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/Repo.hpp"

#include <filesystem>
#include <optional>

namespace razeziruzer::MLModelConfigurationUtils {

// Runs on the given compute units and lets the GPU accumulate in low precision.
platform::coreml::MLModelConfiguration defaultConfiguration(platform::coreml::MLComputeUnits computeUnits);

// The user's data folder, then "RazeziRuzer", "Models" and, given a
// repository, its folder name. Nothing is created.
std::filesystem::path defaultModelsDirectory(std::optional<Repo> repo = std::nullopt);

} // namespace razeziruzer::MLModelConfigurationUtils
