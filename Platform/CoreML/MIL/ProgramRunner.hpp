#pragma once
// Runs a prepared function: binds the inputs and states, runs each step's
// kernel, checks every result against its declared type, and lets go of each
// value after its last reader. One runner serves one prediction at a time; its
// value table is reused from call to call.

#include "Platform/CoreML/MIL/DeclaredType.hpp"
#include "Platform/CoreML/MIL/PreparedFunction.hpp"

#include <map>
#include <string>
#include <vector>

namespace platform::coreml::mil {

class ProgramRunner {
public:
    explicit ProgramRunner(const PreparedFunction& function) : function_(function) {}

    // Inputs by name; `states` holds one value per state of the function, in
    // order, and is updated only when the whole run succeeds. Returns the
    // function's outputs in order. Throws MLModelError (featureType) for inputs
    // or intermediate values that do not fit their declared types.
    std::vector<Tensor> run(const std::map<std::string, Tensor>& inputs, std::vector<Tensor>& states);

private:
    const Tensor& value(SlotIndex slot) const;
    void bindInputs(const std::map<std::string, Tensor>& inputs, SymbolBindings& symbols);
    void runKernel(const PreparedStep& step, SymbolBindings& symbols);

    const PreparedFunction& function_;
    std::vector<Tensor> values_;
};

} // namespace platform::coreml::mil
