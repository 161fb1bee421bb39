#include "Platform/CoreML/MLModelDescription.hpp"

namespace platform::coreml {
namespace {

std::map<std::string, MLFeatureDescription> byName(const std::vector<MLFeatureDescription>& descriptions) {
    std::map<std::string, MLFeatureDescription> map;
    for (const auto& description : descriptions) {
        map[description.name] = description;
    }
    return map;
}

} // namespace

MLModelDescription MLModelDescription::make(const std::vector<MLFeatureDescription>& inputs,
                                            const std::vector<MLFeatureDescription>& outputs,
                                            const std::vector<MLFeatureDescription>& states) {
    MLModelDescription description;
    description.inputDescriptionsByName = byName(inputs);
    description.outputDescriptionsByName = byName(outputs);
    description.stateDescriptionsByName = byName(states);
    return description;
}

} // namespace platform::coreml
