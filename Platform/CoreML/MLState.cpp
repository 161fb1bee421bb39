#include "Platform/CoreML/MLState.hpp"

#include "Platform/CoreML/MLModelError.hpp"

namespace platform::coreml {

std::set<std::string> MLState::stateNames() const {
    std::set<std::string> names;
    for (const auto& entry : buffers_) {
        names.insert(entry.first);
    }
    return names;
}

void MLState::withMultiArray(const std::string& stateName,
                             const std::function<void(const MLMultiArray&)>& body) const {
    body(multiArray(stateName));
}

MLMultiArray MLState::multiArray(const std::string& stateName) const {
    const auto found = buffers_.find(stateName);
    if (found == buffers_.end()) {
        throw MLModelError(MLModelErrorKind::featureType, "The model state has no buffer named \"" + stateName + "\"");
    }
    return found->second;
}

} // namespace platform::coreml
