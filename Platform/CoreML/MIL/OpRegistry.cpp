#include "Platform/CoreML/MIL/OpRegistry.hpp"

#include "Platform/CoreML/MIL/Ops/OpFamilies.hpp"

namespace platform::coreml::mil {

void OpRegistry::add(std::string opType, OpDefinition definition) {
    definitions_.insert_or_assign(std::move(opType), std::move(definition));
}

const OpDefinition* OpRegistry::find(std::string_view opType) const {
    const auto found = definitions_.find(opType);
    return found == definitions_.end() ? nullptr : &found->second;
}

std::vector<std::string> OpRegistry::opTypes() const {
    std::vector<std::string> names;
    names.reserve(definitions_.size());
    for (const auto& entry : definitions_) {
        names.push_back(entry.first);
    }
    return names;
}

const OpRegistry& OpRegistry::standard() {
    static const OpRegistry registry = [] {
        OpRegistry made;
        registerElementwiseOps(made);
        registerReductionOps(made);
        registerShapeOps(made);
        registerLinearOps(made);
        registerSequenceOps(made);
        registerConstexprOps(made);
        return made;
    }();
    return registry;
}

} // namespace platform::coreml::mil
