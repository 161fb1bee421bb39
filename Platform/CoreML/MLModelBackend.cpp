#include "Platform/CoreML/MLModelBackend.hpp"

#include "Platform/CoreML/MLModelError.hpp"

namespace platform::coreml {

MLState MLModelBackend::makeState() const {
    std::map<std::string, MLMultiArray> buffers;
    for (const auto& [name, description] : modelDescription().stateDescriptionsByName) {
        if (description.stateConstraint) {
            buffers.emplace(name, MLMultiArray(description.stateConstraint->bufferShape,
                                               description.stateConstraint->dataType));
        } else if (description.multiArrayConstraint) {
            buffers.emplace(name, MLMultiArray(description.multiArrayConstraint->shape,
                                               description.multiArrayConstraint->dataType));
        } else {
            throw MLModelError(MLModelErrorKind::generic, "The model declares no buffer layout for state \"" + name + "\"");
        }
    }
    return MLState(std::move(buffers));
}

} // namespace platform::coreml
