#pragma once
// One function of a program, checked and made ready to run: every value has a
// slot, every operation its kernel and argument slots, constants are loaded
// (weight-file blobs decoded, compressed weights expanded) and every operation
// whose arguments are all constants has been computed ahead. Immutable once
// made, so predictions on several threads share it.

#include "Platform/Core/Error.hpp"
#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/ProgramSyntax.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace platform::coreml::mil {

using SlotIndex = int;

struct PreparedArgument {
    std::string name;
    std::vector<SlotIndex> slots;
};

struct PreparedStep {
    enum class Kind { kernel, readState, writeState };

    Kind kind = Kind::kernel;
    const OpDefinition* definition = nullptr;
    std::string opType;
    std::string debugName; // the operation's "name" attribute, for messages
    SourceLocation location;
    std::vector<PreparedArgument> arguments;
    std::vector<SlotIndex> results;
    std::vector<ValueType> resultTypes;
    int state = -1;                    // index into states() for state steps
    SlotIndex stateData = -1;          // the value a writeState stores
    std::vector<SlotIndex> releaseAfter; // values no later step reads
};

// A step's arguments bound to the values valueOf(slot) gives for their slots.
template <class ValueOf>
std::vector<OpArgument> boundArguments(const PreparedStep& step, ValueOf valueOf) {
    std::vector<OpArgument> arguments;
    arguments.reserve(step.arguments.size());
    for (const auto& argument : step.arguments) {
        OpArgument bound{argument.name, {}};
        bound.values.reserve(argument.slots.size());
        for (const auto slot : argument.slots) {
            bound.values.push_back(&valueOf(slot));
        }
        arguments.push_back(std::move(bound));
    }
    return arguments;
}

// Runs a kernel step's kernel on the values valueOf(slot) gives for its argument slots.
template <class ValueOf>
std::vector<Tensor> callKernel(const PreparedStep& step, ValueOf valueOf) {
    return step.definition->kernel(OpCall(step.opType, boundArguments(step, valueOf), step.resultTypes));
}

struct PreparedValue {
    std::string name;
    SlotIndex slot = -1;
    ValueType type;
};

// Loads a constant written in the program text (inline or in a weight file).
using ConstantLoader = std::function<Tensor(const ConstantValue& value)>;

// Errors from preparing a function; the bundle loader turns them into model errors.
class ProgramPreparationError : public Error {
public:
    // tooLarge: a value the program asks for would pass the tensor size limit.
    enum class Reason { damaged, unsupported, tooLarge };
    ProgramPreparationError(Reason reason, const std::string& message) : Error(message), reason_(reason) {}
    Reason reason() const { return reason_; }

private:
    Reason reason_;
};

class PreparedFunction {
public:
    // Throws ProgramPreparationError: "unsupported" for an operation the registry
    // does not know, "damaged" for undefined names, missing arguments and the like.
    PreparedFunction(const Function& function, const OpRegistry& registry, const ConstantLoader& loadConstant);

    const std::string& name() const { return name_; }
    std::size_t slotCount() const { return constants_.size(); }
    // The constant held in a slot, or null for a slot computed at run time.
    const Tensor* constant(SlotIndex slot) const;
    const std::vector<PreparedValue>& inputs() const { return inputs_; }
    const std::vector<PreparedValue>& states() const { return states_; }
    const std::vector<PreparedValue>& outputs() const { return outputs_; }
    const std::vector<PreparedStep>& steps() const { return steps_; }

private:
    class Builder;
    friend class Builder;

    std::string name_;
    std::vector<Tensor> constants_;    // one per slot; empty where computed at run time
    std::vector<PreparedValue> inputs_;
    std::vector<PreparedValue> states_;
    std::vector<PreparedValue> outputs_;
    std::vector<PreparedStep> steps_;
};

} // namespace platform::coreml::mil
