#include "Hushframe/Models/ModelSize.hpp"

#include "PelluxCore/ModelUtilities.hpp"

#include <limits>

namespace hushframe {

namespace {

std::optional<int> asInt(const std::optional<std::int64_t>& size) {
    if (!size || *size < std::numeric_limits<int>::min() || *size > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(*size);
}

const platform::coreml::MLModel* modelOf(const WhisperMLModel& stage) {
    const auto& model = stage.model();
    return model ? &*model : nullptr;
}

} // namespace

std::optional<int> modelInputSize(const WhisperMLModel& stage, const std::string& feature, std::size_t position) {
    return asInt(pelluxcore::ModelUtilities::getModelInputDimension(modelOf(stage), feature, position));
}

std::optional<int> modelOutputSize(const WhisperMLModel& stage, const std::string& feature, std::size_t position) {
    return asInt(pelluxcore::ModelUtilities::getModelOutputDimension(modelOf(stage), feature, position));
}

} // namespace hushframe
