#pragma once
// Folds the element-wise step that alone reads a linear layer's result (an
// activation, or the addition of a residual of the same shape) into the
// linear step, which then applies it to each tile of its product while the
// tile is in cache. The linear step takes over the folded step's result; it
// learns what to apply from two extra arguments, "fused_activation" (the
// activation's name as text) and "fused_residual".

#include "Platform/CoreML/MIL/PreparedFunction.hpp"

#include <functional>
#include <vector>

namespace platform::coreml::mil {

struct FusionContext {
    const std::vector<ValueType>& types;               // declared type of every slot
    const std::vector<SlotIndex>& outputs;             // slots the function returns
    std::function<const Tensor*(SlotIndex)> constantOf; // null for values computed at run time
    std::function<SlotIndex(Tensor)> addConstant;      // a new constant slot
};

void fuseEpilogues(std::vector<PreparedStep>& steps, const FusionContext& context);

} // namespace platform::coreml::mil
