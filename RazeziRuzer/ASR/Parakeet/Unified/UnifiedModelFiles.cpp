#include "RazeziRuzer/ASR/Parakeet/Unified/UnifiedModelFiles.hpp"

#include "RazeziRuzer/ModelNames.hpp"
#include "RazeziRuzer/Shared/MLModelConfigurationUtils.hpp"

namespace razeziruzer::UnifiedModelFiles {

using platform::coreml::MLComputeUnits;
using platform::coreml::MLModelConfiguration;

std::string encoderFile(Mode mode, UnifiedEncoderPrecision precision) {
    return std::string(mode == Mode::offline ? ModelNames::ParakeetUnified::offlineEncoderFile(precision)
                                             : ModelNames::ParakeetUnified::streamingEncoderFile(precision));
}

std::optional<std::string> downloadVariant(Mode mode, UnifiedEncoderPrecision precision) {
    const bool half = precision == UnifiedEncoderPrecision::fp16;
    if (mode == Mode::offline) return half ? "offline-fp16" : "offline";
    if (half) return "fp16";
    return std::nullopt;
}

std::filesystem::path modelsRoot(const std::optional<std::filesystem::path>& root) {
    return root.value_or(MLModelConfigurationUtils::defaultModelsDirectory());
}

std::filesystem::path repositoryFolder(const std::optional<std::filesystem::path>& root) {
    return modelsRoot(root) / folderName(Repo::parakeetUnified);
}

bool isCached(const std::filesystem::path& folder, Mode mode, UnifiedEncoderPrecision precision) {
    std::error_code ignored;
    return std::filesystem::exists(folder / encoderFile(mode, precision), ignored);
}

MLModelConfiguration defaultConfiguration() {
    MLModelConfiguration configuration;
    configuration.computeUnits = MLComputeUnits::cpuAndNeuralEngine;
    configuration.allowLowPrecisionAccumulationOnGPU = true;
    return configuration;
}

MLModelConfiguration frontConfiguration() {
    MLModelConfiguration configuration;
    configuration.computeUnits = MLComputeUnits::cpuOnly;
    return configuration;
}

MLModelConfiguration encoderConfiguration(const MLModelConfiguration& configured, UnifiedEncoderPrecision precision) {
    if (precision == UnifiedEncoderPrecision::int8 && configured.computeUnits == MLComputeUnits::all) {
        MLModelConfiguration neural;
        neural.computeUnits = MLComputeUnits::cpuAndNeuralEngine;
        return neural;
    }
    return configured;
}

} // namespace razeziruzer::UnifiedModelFiles
