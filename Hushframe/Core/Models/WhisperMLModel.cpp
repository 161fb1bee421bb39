#include "Hushframe/Core/Models/WhisperMLModel.hpp"

namespace hushframe {

void WhisperMLModel::loadModel(const std::filesystem::path& at, platform::coreml::MLComputeUnits computeUnits,
                               bool prewarmMode) {
    platform::coreml::MLModelConfiguration configuration;
    configuration.computeUnits = computeUnits;
    auto loaded = platform::coreml::MLModel::load(at, configuration);
    if (prewarmMode) {
        setModel(std::nullopt);
    } else {
        setModel(std::move(loaded));
    }
}

} // namespace hushframe
