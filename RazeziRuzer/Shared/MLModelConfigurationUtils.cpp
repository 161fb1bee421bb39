#include "RazeziRuzer/Shared/MLModelConfigurationUtils.hpp"

#include "Platform/Files/XdgDirectories.hpp"

namespace razeziruzer::MLModelConfigurationUtils {

platform::coreml::MLModelConfiguration defaultConfiguration(platform::coreml::MLComputeUnits computeUnits) {
    platform::coreml::MLModelConfiguration configuration;
    configuration.allowLowPrecisionAccumulationOnGPU = true;
    configuration.computeUnits = computeUnits;
    return configuration;
}

std::filesystem::path defaultModelsDirectory(std::optional<Repo> repo) {
    auto directory = platform::files::dataHome() / "RazeziRuzer" / "Models";
    if (repo) directory /= folderName(*repo);
    return directory;
}

} // namespace razeziruzer::MLModelConfigurationUtils
