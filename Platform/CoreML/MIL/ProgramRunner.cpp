#include "Platform/CoreML/MIL/ProgramRunner.hpp"

#include "Platform/CoreML/MIL/TensorBufferPool.hpp"
#include "Platform/CoreML/MLModelError.hpp"

#include <exception>

namespace platform::coreml::mil {
namespace {

[[noreturn]] void failStep(const PreparedStep& step, const std::string& message) {
    throw MLModelError(MLModelErrorKind::featureType, "The operation " + step.opType + " '" + step.debugName +
                                                          "' (model.mil line " + std::to_string(step.location.line) +
                                                          ") failed: " + message);
}

} // namespace

const Tensor& ProgramRunner::value(SlotIndex slot) const {
    if (const auto* constant = function_.constant(slot)) {
        return *constant;
    }
    return values_[static_cast<std::size_t>(slot)];
}

void ProgramRunner::bindInputs(const std::map<std::string, Tensor>& inputs, SymbolBindings& symbols) {
    for (const auto& input : function_.inputs()) {
        const auto given = inputs.find(input.name);
        if (given == inputs.end()) {
            throw MLModelError(MLModelErrorKind::featureType, "Required input feature \"" + input.name + "\" was not provided");
        }
        if (const auto mismatch = shapeMismatch(given->second.shape(), input.type, symbols)) {
            throw MLModelError(MLModelErrorKind::featureType, "Input feature \"" + input.name + "\": " + *mismatch);
        }
        values_[static_cast<std::size_t>(input.slot)] = withDeclaredType(given->second, input.type);
    }
}

void ProgramRunner::runKernel(const PreparedStep& step, SymbolBindings& symbols) {
    std::vector<Tensor> results;
    try {
        results = callKernel(step, [this](SlotIndex slot) -> const Tensor& { return value(slot); });
    } catch (const std::exception& error) {
        failStep(step, error.what());
    }
    if (results.size() < step.results.size()) {
        failStep(step, "it gave fewer results than the program declares");
    }
    for (std::size_t i = 0; i < step.results.size(); ++i) {
        if (const auto mismatch = shapeMismatch(results[i].shape(), step.resultTypes[i], symbols)) {
            failStep(step, "result " + std::to_string(i) + ": " + *mismatch);
        }
        values_[static_cast<std::size_t>(step.results[i])] = withDeclaredType(results[i], step.resultTypes[i]);
    }
}

std::vector<Tensor> ProgramRunner::run(const std::map<std::string, Tensor>& inputs, std::vector<Tensor>& states) {
    const auto& stateDeclarations = function_.states();
    if (states.size() != stateDeclarations.size()) {
        throw MLModelError(MLModelErrorKind::featureType, "The model keeps " + std::to_string(stateDeclarations.size()) +
                                                              " states but " + std::to_string(states.size()) + " were given");
    }
    const TensorBufferPool::Scope pooled;
    values_.assign(function_.slotCount(), Tensor{});
    SymbolBindings symbols;
    bindInputs(inputs, symbols);
    auto stateValues = states;
    for (const auto& step : function_.steps()) {
        switch (step.kind) {
        case PreparedStep::Kind::kernel: runKernel(step, symbols); break;
        case PreparedStep::Kind::readState:
            values_[static_cast<std::size_t>(step.results.front())] = stateValues[static_cast<std::size_t>(step.state)];
            break;
        case PreparedStep::Kind::writeState: {
            const auto& declared = stateDeclarations[static_cast<std::size_t>(step.state)].type;
            const auto& data = value(step.stateData);
            if (const auto mismatch = shapeMismatch(data.shape(), declared, symbols)) {
                failStep(step, *mismatch);
            }
            stateValues[static_cast<std::size_t>(step.state)] = withDeclaredType(data, declared);
            if (!step.results.empty()) {
                values_[static_cast<std::size_t>(step.results.front())] = stateValues[static_cast<std::size_t>(step.state)];
            }
            break;
        }
        }
        for (const auto slot : step.releaseAfter) {
            values_[static_cast<std::size_t>(slot)] = Tensor{};
        }
    }
    std::vector<Tensor> outputs;
    outputs.reserve(function_.outputs().size());
    for (const auto& output : function_.outputs()) {
        outputs.push_back(value(output.slot));
    }
    values_.assign(values_.size(), Tensor{});
    states = std::move(stateValues);
    return outputs;
}

} // namespace platform::coreml::mil
