#include "Platform/CoreML/MLFeatureDescription.hpp"

namespace platform::coreml {

MLFeatureDescription MLFeatureDescription::multiArray(std::string name, std::vector<std::int64_t> shape,
                                                      MLMultiArrayDataType dataType) {
    return multiArray(std::move(name), MLMultiArrayConstraint{std::move(shape), dataType, {}});
}

MLFeatureDescription MLFeatureDescription::multiArray(std::string name, MLMultiArrayConstraint constraint) {
    MLFeatureDescription description;
    description.name = std::move(name);
    description.type = MLFeatureType::multiArray;
    description.multiArrayConstraint = std::move(constraint);
    return description;
}

MLFeatureDescription MLFeatureDescription::state(std::string name, std::vector<std::int64_t> bufferShape,
                                                 MLMultiArrayDataType dataType) {
    MLFeatureDescription description;
    description.name = std::move(name);
    description.type = MLFeatureType::state;
    description.stateConstraint = MLStateConstraint{std::move(bufferShape), dataType};
    return description;
}

} // namespace platform::coreml
