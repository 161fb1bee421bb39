#include "Platform/CoreML/FeatureValidation.hpp"

#include "Platform/CoreML/ArrayLayout.hpp"
#include "Platform/CoreML/MLModelError.hpp"

namespace platform::coreml::validation {
namespace {

[[noreturn]] void fail(const std::string& message) { throw MLModelError(MLModelErrorKind::featureType, message); }

void checkInput(const MLFeatureDescription& description, const MLFeatureValue& value) {
    const auto& name = description.name;
    if (description.type != MLFeatureType::multiArray) {
        if (description.type != MLFeatureType::invalid && value.type() != description.type) {
            fail("Input feature \"" + name + "\" is not of the kind the model declares");
        }
        return;
    }
    const auto array = value.multiArrayValue();
    if (!array) {
        fail("Input feature \"" + name + "\" must be a multi-array");
    }
    if (description.multiArrayConstraint && !description.multiArrayConstraint->admits(array->shape())) {
        fail("Input feature \"" + name + "\" has shape " + layout::describe(array->shape()) +
             ", which the model does not accept (declared shape " +
             layout::describe(description.multiArrayConstraint->shape) + ")");
    }
}

} // namespace

void checkInputs(const MLModelDescription& description, const MLFeatureProvider& input) {
    for (const auto& [name, feature] : description.inputDescriptionsByName) {
        const auto value = input.featureValue(name);
        if (!value || value->isUndefined()) {
            if (feature.isOptional) {
                continue;
            }
            fail("Required input feature \"" + name + "\" was not provided");
        }
        checkInput(feature, *value);
    }
}

void checkState(const MLModelDescription& description, const MLState& state) {
    for (const auto& [name, feature] : description.stateDescriptionsByName) {
        if (!state.contains(name)) {
            fail("The state passed to the model has no buffer \"" + name + "\"");
        }
        const auto buffer = state.multiArray(name);
        if (feature.stateConstraint && (buffer.shape() != feature.stateConstraint->bufferShape ||
                                        buffer.dataType() != feature.stateConstraint->dataType)) {
            fail("State buffer \"" + name + "\" does not have the layout the model declares");
        }
    }
}

void checkBackingNames(const MLModelDescription& description, const MLPredictionOptions& options) {
    for (const auto& entry : options.outputBackings) {
        if (description.outputDescriptionsByName.count(entry.first) == 0) {
            fail("Output backing \"" + entry.first + "\" names no output of the model");
        }
    }
}

void checkBackingsFit(const std::map<std::string, MLFeatureValue>& outputs, const MLPredictionOptions& options) {
    for (const auto& [name, backing] : options.outputBackings) {
        const auto output = outputs.find(name);
        const auto array = output == outputs.end() ? std::nullopt : output->second.multiArrayValue();
        if (!array) {
            fail("The model produced no multi-array output \"" + name + "\" for its output backing");
        }
        if (array->shape() != backing.shape()) {
            fail("Output backing \"" + name + "\" has shape " + layout::describe(backing.shape()) +
                 " but the output has shape " + layout::describe(array->shape()));
        }
    }
}

} // namespace platform::coreml::validation
