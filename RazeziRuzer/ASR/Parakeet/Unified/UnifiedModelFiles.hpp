#pragma once
// Where the unified Parakeet models live and how each is loaded: the
// repository folder, the encoder file and download variant of a recogniser's
// mode and precision, and the compute units of each model.

#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedEncoderPrecision.hpp"

#include <filesystem>
#include <optional>
#include <string>

namespace razeziruzer::UnifiedModelFiles {

enum class Mode { streaming, offline };

std::string encoderFile(Mode mode, UnifiedEncoderPrecision precision);
std::optional<std::string> downloadVariant(Mode mode, UnifiedEncoderPrecision precision);
// The repository folder inside a models root (default: the package's).
std::filesystem::path repositoryFolder(const std::optional<std::filesystem::path>& modelsRoot);
std::filesystem::path modelsRoot(const std::optional<std::filesystem::path>& modelsRoot);
// A cached copy counts when the encoder of this mode and precision is there.
bool isCached(const std::filesystem::path& folder, Mode mode, UnifiedEncoderPrecision precision);

// The recogniser's own configuration when none is given.
platform::coreml::MLModelConfiguration defaultConfiguration();
// Preprocessor, prediction network and joint run on the CPU alone.
platform::coreml::MLModelConfiguration frontConfiguration();
// An int8 encoder asked to run on every unit runs on CPU and Neural Engine.
platform::coreml::MLModelConfiguration encoderConfiguration(const platform::coreml::MLModelConfiguration& configured,
                                                           UnifiedEncoderPrecision precision);

} // namespace razeziruzer::UnifiedModelFiles
