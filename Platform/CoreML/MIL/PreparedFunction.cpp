#include "Platform/CoreML/MIL/PreparedFunction.hpp"

#include "Platform/CoreML/MIL/DeclaredType.hpp"
#include "Platform/CoreML/MIL/EpilogueFusion.hpp"
#include "Platform/CoreML/MIL/PackedMatrix.hpp"
#include "Platform/CoreML/MIL/TensorSizeLimit.hpp"

#include <algorithm>
#include <exception>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace platform::coreml::mil {
namespace {

std::string at(const SourceLocation& location) {
    return "line " + std::to_string(location.line) + ", column " + std::to_string(location.column) + ": ";
}

[[noreturn]] void damaged(const SourceLocation& location, const std::string& message) {
    throw ProgramPreparationError(ProgramPreparationError::Reason::damaged, at(location) + message);
}

[[noreturn]] void unsupported(const SourceLocation& location, const std::string& message) {
    throw ProgramPreparationError(ProgramPreparationError::Reason::unsupported, at(location) + message);
}

std::string debugNameOf(const Operation& operation) {
    const auto found = operation.attributes.find("name");
    if (found != operation.attributes.end() && found->second.tensor && found->second.tensor->kind() == StorageKind::string) {
        return found->second.tensor->textValue();
    }
    return operation.results.empty() ? operation.type : operation.results.front().name;
}

} // namespace

namespace {

bool isLstmWeight(const std::string& opType, const std::string& argument) {
    return opType == "lstm" && (argument == "weight_ih" || argument == "weight_hh" || argument == "weight_ih_back" ||
                                argument == "weight_hh_back");
}

// Arguments whose kernels multiply by a packed weight without widening it whole.
bool readsPacked(const std::string& opType, const std::string& argument) {
    return (argument == "weight" && (opType == "linear" || opType == "conv")) || isLstmWeight(opType, argument);
}

// Arguments whose kernels read float weights in column panels (a convolution
// only when its kernel is one element wide on every axis, see below).
bool readsPanels(const std::string& opType, const std::string& argument) {
    return (argument == "weight" && (opType == "linear" || opType == "conv")) || isLstmWeight(opType, argument);
}

// A convolution weight [out, in, 1, ...]: a plain matrix of out rows.
bool isPointwiseKernel(const Shape& shape) {
    return std::all_of(shape.begin() + std::min<std::ptrdiff_t>(2, static_cast<std::ptrdiff_t>(shape.size())),
                       shape.end(), [](std::int64_t size) { return size == 1; });
}

} // namespace

class PreparedFunction::Builder {
public:
    Builder(PreparedFunction& target, const OpRegistry& registry, const ConstantLoader& loadConstant)
        : target_(target), registry_(registry), loadConstant_(loadConstant) {}

    void build(const Function& function) {
        target_.name_ = function.name;
        countReaders(function);
        for (const auto& parameter : function.inputs) {
            addParameter(parameter);
        }
        for (const auto& operation : function.body.operations) {
            addOperation(operation);
        }
        for (const auto& output : function.body.outputs) {
            const auto slot = lookUp(output, function.location, "the function's results name");
            target_.outputs_.push_back({output, slot, types_[static_cast<std::size_t>(slot)]});
        }
        fuse();
        markReleases();
        dropUnreadConstants();
    }

private:
    // How many arguments name each value, so that a constant read only by
    // operations computed ahead (the stored form of a compressed weight) can be
    // let go of as soon as the last of them is done.
    void countReaders(const Function& function) {
        outputNames_ = function.body.outputs;
        for (const auto& operation : function.body.operations) {
            for (const auto& argument : operation.inputs) {
                for (const auto& binding : argument.second.bindings) {
                    if (!binding.value) {
                        ++readersByName_[binding.name];
                        if (!readsPacked(operation.type, argument.first)) {
                            needsElements_.insert(binding.name);
                        }
                        if (!readsPanels(operation.type, argument.first)) {
                            needsRows_.insert(binding.name);
                        }
                        if (operation.type == "conv") {
                            convolutionWeights_.insert(binding.name);
                        }
                    }
                }
            }
        }
        needsElements_.insert(outputNames_.begin(), outputNames_.end());
    }

    // Whether the value may be held packed: every reader takes packed weights.
    bool packable(const std::string& valueName) const {
        return readersByName_.contains(valueName) && !needsElements_.contains(valueName);
    }

    // A float weight of enough elements whose readers all take it packed is
    // kept as half floats when declared half precision, or in column panels
    // when it is single precision and every reader multiplies by it as a matrix.
    Tensor packedForProducts(Tensor value, const std::string& valueName) const {
        constexpr std::int64_t smallestPacked = 1024;
        if (value.packedMatrix() != nullptr || value.rank() < 2 || value.count() < smallestPacked ||
            !packable(valueName)) {
            return value;
        }
        if (value.dataType() == DataType::fp16) {
            auto matrix = std::make_shared<const PackedMatrix>(PackedMatrix::halves(value.shape(), value.floatValues()));
            return Tensor::packed(value.dataType(), value.shape(), std::move(matrix));
        }
        if (value.dataType() == DataType::fp32 && !needsRows_.contains(valueName) &&
            (!convolutionWeights_.contains(valueName) || isPointwiseKernel(value.shape()))) {
            auto matrix = std::make_shared<const PackedMatrix>(PackedMatrix::panels(value.shape(), value.floatValues()));
            return Tensor::packed(value.dataType(), value.shape(), std::move(matrix));
        }
        return value;
    }

    void foldedReader(SlotIndex slot) {
        auto& pending = pendingReaders_[static_cast<std::size_t>(slot)];
        if (--pending <= 0 && !isOutput(slot)) {
            target_.constants_[static_cast<std::size_t>(slot)] = Tensor{};
        }
    }

    bool isOutput(SlotIndex slot) const {
        return std::ranges::find(outputNames_, slot, [this](const std::string& output) {
                   const auto found = names_.find(output);
                   return found == names_.end() ? -1 : found->second;
               }) != outputNames_.end();
    }

    void fuse() {
        std::vector<SlotIndex> outputs;
        for (const auto& output : target_.outputs_) {
            outputs.push_back(output.slot);
        }
        ValueType text;
        text.dataType = DataType::string;
        const FusionContext context{types_, outputs, [this](SlotIndex slot) { return target_.constant(slot); },
                                    [this, &text](Tensor value) { return newSlot(text, std::move(value)); }};
        fuseEpilogues(target_.steps_, context);
    }

    // Constants no step reads (their readers were all computed ahead) are not kept.
    void dropUnreadConstants() {
        std::vector<bool> read(target_.constants_.size(), false);
        for (const auto& step : target_.steps_) {
            for (const auto& argument : step.arguments) {
                for (const auto slot : argument.slots) {
                    read[static_cast<std::size_t>(slot)] = true;
                }
            }
            if (step.stateData >= 0) {
                read[static_cast<std::size_t>(step.stateData)] = true;
            }
        }
        for (const auto& output : target_.outputs_) {
            read[static_cast<std::size_t>(output.slot)] = true;
        }
        for (std::size_t slot = 0; slot < read.size(); ++slot) {
            if (!read[slot]) {
                target_.constants_[slot] = Tensor{};
            }
        }
    }

    SlotIndex newSlot(const ValueType& type, Tensor constant = {}) {
        target_.constants_.push_back(std::move(constant));
        types_.push_back(type);
        stateOfSlot_.push_back(-1);
        pendingReaders_.push_back(0);
        return static_cast<SlotIndex>(target_.constants_.size() - 1);
    }

    void name(const NamedValueType& value, SlotIndex slot) {
        if (!names_.emplace(value.name, slot).second) {
            damaged(value.location, "the value '" + value.name + "' is defined twice");
        }
        const auto readers = readersByName_.find(value.name);
        pendingReaders_[static_cast<std::size_t>(slot)] = readers == readersByName_.end() ? 0 : readers->second;
    }

    SlotIndex lookUp(const std::string& valueName, const SourceLocation& location, const std::string& user) const {
        const auto found = names_.find(valueName);
        if (found == names_.end()) {
            damaged(location, user + " the undefined value '" + valueName + "'");
        }
        return found->second;
    }

    bool isConstant(SlotIndex slot) const { return !target_.constants_[static_cast<std::size_t>(slot)].isEmpty(); }

    void addParameter(const NamedValueType& parameter) {
        const auto slot = newSlot(parameter.type);
        name(parameter, slot);
        if (parameter.type.kind == ValueType::Kind::state) {
            if (parameter.type.elements.empty() || parameter.type.elements.front().kind != ValueType::Kind::tensor) {
                unsupported(parameter.location, "the state '" + parameter.name + "' does not hold a tensor");
            }
            stateOfSlot_[static_cast<std::size_t>(slot)] = static_cast<int>(target_.states_.size());
            target_.states_.push_back({parameter.name, slot, parameter.type.elements.front()});
        } else if (parameter.type.kind == ValueType::Kind::tensor) {
            target_.inputs_.push_back({parameter.name, slot, parameter.type});
        } else {
            unsupported(parameter.location, "the input '" + parameter.name + "' is not a tensor");
        }
    }

    Tensor load(const ConstantValue& value, const SourceLocation& location) {
        try {
            return loadConstant_(value);
        } catch (const ProgramPreparationError&) {
            throw;
        } catch (const TensorSizeError& error) {
            throw ProgramPreparationError(ProgramPreparationError::Reason::tooLarge, at(location) + "const: " + error.what());
        } catch (const std::exception& error) {
            damaged(location, error.what());
        }
    }

    void addOperation(const Operation& operation) {
        if (!operation.blocks.empty()) {
            unsupported(operation.location, "the operation " + operation.type + " holds nested blocks, which this runtime does not run");
        }
        if (operation.type == "const") {
            addConstant(operation);
        } else if (operation.type == "read_state" || operation.type == "write_state" || operation.type == "coreml_update_state") {
            addStateStep(operation);
        } else {
            addKernelStep(operation);
        }
    }

    void addConstant(const Operation& operation) {
        const auto value = operation.attributes.find("val");
        if (value == operation.attributes.end()) {
            damaged(operation.location, "a const has no 'val'");
        }
        if (operation.results.size() != 1) {
            damaged(operation.location, "a const must have exactly one result");
        }
        const auto& result = operation.results.front();
        auto tensor = withDeclaredType(load(value->second, operation.location), result.type);
        SymbolBindings ignored;
        if (const auto mismatch = shapeMismatch(tensor.shape(), result.type, ignored)) {
            damaged(operation.location, "the constant '" + result.name + "': " + *mismatch);
        }
        name(result, newSlot(result.type, packedForProducts(std::move(tensor), result.name)));
    }

    int stateArgument(const Operation& operation, const std::string& argumentName) {
        const auto input = std::ranges::find(operation.inputs, argumentName, &std::pair<std::string, Argument>::first);
        if (input == operation.inputs.end() || input->second.bindings.size() != 1 || input->second.bindings.front().name.empty()) {
            damaged(operation.location, operation.type + " needs the state it works on as '" + argumentName + "'");
        }
        const auto& binding = input->second.bindings.front();
        const auto slot = lookUp(binding.name, binding.location, operation.type + " refers to");
        const auto state = stateOfSlot_[static_cast<std::size_t>(slot)];
        if (state < 0) {
            damaged(binding.location, "'" + binding.name + "' is not a state");
        }
        return state;
    }

    void addStateStep(const Operation& operation) {
        PreparedStep step;
        step.opType = operation.type;
        step.debugName = debugNameOf(operation);
        step.location = operation.location;
        // coreml_update_state is the unsplit form of write_state followed by
        // read_state: it stores `value` and yields the stored value.
        const bool combined = operation.type == "coreml_update_state";
        step.state = stateArgument(operation, combined ? "state" : "input");
        if (operation.type == "read_state") {
            step.kind = PreparedStep::Kind::readState;
            if (operation.results.size() != 1) {
                damaged(operation.location, "read_state must have exactly one result");
            }
        } else {
            step.kind = PreparedStep::Kind::writeState;
            const std::string dataName = combined ? "value" : "data";
            const auto data = std::ranges::find(operation.inputs, dataName, &std::pair<std::string, Argument>::first);
            if (data == operation.inputs.end() || data->second.bindings.size() != 1) {
                damaged(operation.location, operation.type + " needs the value it stores as '" + dataName + "'");
            }
            if (operation.results.size() > (combined ? 1u : 0u)) {
                damaged(operation.location, operation.type + " has more results than it gives");
            }
            step.stateData = bindingSlot(operation, data->second.bindings.front());
        }
        addResults(operation, step);
        target_.steps_.push_back(std::move(step));
    }

    SlotIndex bindingSlot(const Operation& operation, const Binding& binding) {
        if (binding.value) {
            return newSlot(binding.value->type, load(*binding.value, binding.location));
        }
        const auto slot = lookUp(binding.name, binding.location, operation.type + " refers to");
        if (stateOfSlot_[static_cast<std::size_t>(slot)] >= 0) {
            damaged(binding.location, operation.type + " uses the state '" + binding.name + "' as a plain value");
        }
        return slot;
    }

    void addResults(const Operation& operation, PreparedStep& step) {
        for (const auto& result : operation.results) {
            const auto slot = newSlot(result.type);
            name(result, slot);
            step.results.push_back(slot);
            step.resultTypes.push_back(result.type);
        }
    }

    void addKernelStep(const Operation& operation) {
        const auto* definition = registry_.find(operation.type);
        if (definition == nullptr) {
            unsupported(operation.location, "the operation " + operation.type + " is not supported by this runtime");
        }
        PreparedStep step;
        step.definition = definition;
        step.opType = operation.type;
        step.debugName = debugNameOf(operation);
        step.location = operation.location;
        for (const auto& [argumentName, argument] : operation.inputs) {
            PreparedArgument prepared{argumentName, {}};
            for (const auto& binding : argument.bindings) {
                prepared.slots.push_back(bindingSlot(operation, binding));
            }
            step.arguments.push_back(std::move(prepared));
        }
        for (const auto& [attributeName, value] : operation.attributes) {
            if (attributeName == "name" || std::ranges::find(step.arguments, attributeName, &PreparedArgument::name) != step.arguments.end()) {
                continue;
            }
            step.arguments.push_back({attributeName, {newSlot(value.type, load(value, value.location))}});
        }
        for (const auto& required : definition->required) {
            if (std::ranges::find(step.arguments, required, &PreparedArgument::name) == step.arguments.end()) {
                damaged(operation.location, operation.type + " lacks its argument '" + required + "'");
            }
        }
        addResults(operation, step);
        if (definition->deterministic && allConstant(step)) {
            computeAhead(step, operation);
        } else {
            target_.steps_.push_back(std::move(step));
        }
    }

    bool allConstant(const PreparedStep& step) const {
        return std::ranges::all_of(step.arguments, [this](const PreparedArgument& argument) {
            return std::ranges::all_of(argument.slots, [this](SlotIndex slot) { return isConstant(slot); });
        });
    }

    // The one result of a decompression kept packed, when all its readers take it so.
    std::optional<Tensor> computePacked(const PreparedStep& step, const std::string& resultName) const {
        if (!step.definition->packingKernel || step.results.size() != 1 || !packable(resultName)) {
            return std::nullopt;
        }
        const auto valueOf = [this](SlotIndex slot) -> const Tensor& { return target_.constants_[static_cast<std::size_t>(slot)]; };
        return step.definition->packingKernel(OpCall(step.opType, boundArguments(step, valueOf), step.resultTypes));
    }

    void computeAhead(const PreparedStep& step, const Operation& operation) {
        std::vector<Tensor> results;
        try {
            if (auto packed = computePacked(step, operation.results.front().name)) {
                results.push_back(std::move(*packed));
            } else {
                results = callKernel(step, [this](SlotIndex slot) -> const Tensor& {
                    return target_.constants_[static_cast<std::size_t>(slot)];
                });
            }
        } catch (const TensorSizeError& error) {
            throw ProgramPreparationError(ProgramPreparationError::Reason::tooLarge,
                                          at(step.location) + step.opType + " '" + step.debugName + "': " + error.what());
        } catch (const std::exception& error) {
            damaged(step.location, error.what());
        }
        if (results.size() < step.results.size()) {
            damaged(step.location, step.opType + " gave fewer results than the program declares");
        }
        for (std::size_t i = 0; i < step.results.size(); ++i) {
            auto value = withDeclaredType(results[i], step.resultTypes[i]);
            SymbolBindings ignored;
            if (const auto mismatch = shapeMismatch(value.shape(), step.resultTypes[i], ignored)) {
                damaged(step.location, step.opType + " '" + step.debugName + "': " + *mismatch);
            }
            target_.constants_[static_cast<std::size_t>(step.results[i])] =
                packedForProducts(std::move(value), operation.results[i].name);
        }
        for (const auto& argument : step.arguments) {
            for (const auto slot : argument.slots) {
                foldedReader(slot);
            }
        }
    }

    void markReleases() {
        std::vector<int> lastUse(target_.constants_.size(), -1);
        const auto& steps = target_.steps_;
        for (std::size_t index = 0; index < steps.size(); ++index) {
            for (const auto& argument : steps[index].arguments) {
                for (const auto slot : argument.slots) {
                    lastUse[static_cast<std::size_t>(slot)] = static_cast<int>(index);
                }
            }
            if (steps[index].stateData >= 0) {
                lastUse[static_cast<std::size_t>(steps[index].stateData)] = static_cast<int>(index);
            }
        }
        for (const auto& output : target_.outputs_) {
            lastUse[static_cast<std::size_t>(output.slot)] = -1;
        }
        for (std::size_t slot = 0; slot < lastUse.size(); ++slot) {
            if (lastUse[slot] >= 0 && !isConstant(static_cast<SlotIndex>(slot))) {
                target_.steps_[static_cast<std::size_t>(lastUse[slot])].releaseAfter.push_back(static_cast<SlotIndex>(slot));
            }
        }
    }

    PreparedFunction& target_;
    const OpRegistry& registry_;
    const ConstantLoader& loadConstant_;
    std::unordered_map<std::string, SlotIndex> names_;
    std::vector<ValueType> types_;
    std::vector<int> stateOfSlot_;
    std::unordered_map<std::string, int> readersByName_;
    std::unordered_set<std::string> needsElements_; // values some reader needs as plain elements
    std::unordered_set<std::string> needsRows_;     // values some reader needs other than in panels
    std::unordered_set<std::string> convolutionWeights_;
    std::vector<int> pendingReaders_; // per slot: readers not yet computed ahead
    std::vector<std::string> outputNames_;
};

PreparedFunction::PreparedFunction(const Function& function, const OpRegistry& registry, const ConstantLoader& loadConstant) {
    Builder(*this, registry, loadConstant).build(function);
}

const Tensor* PreparedFunction::constant(SlotIndex slot) const {
    const auto& value = constants_.at(static_cast<std::size_t>(slot));
    return value.isEmpty() ? nullptr : &value;
}

} // namespace platform::coreml::mil
