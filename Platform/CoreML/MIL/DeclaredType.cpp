#include "Platform/CoreML/MIL/DeclaredType.hpp"

namespace platform::coreml::mil {

Tensor withDeclaredType(const Tensor& value, const ValueType& declared) {
    if (declared.kind != ValueType::Kind::tensor || value.dataType() == declared.dataType) {
        return value;
    }
    if (storageKind(declared.dataType) == value.kind()) {
        return value.relabelled(declared.dataType);
    }
    return value.convertedTo(declared.dataType);
}

std::optional<std::string> shapeMismatch(const Shape& shape, const ValueType& declared, SymbolBindings& symbols) {
    if (declared.kind != ValueType::Kind::tensor) {
        return std::nullopt;
    }
    const auto mismatch = [&] { return "the shape " + describeShape(shape) + " does not fit " + describeType(declared); };
    if (shape.size() != declared.shape.size()) {
        return mismatch();
    }
    for (std::size_t axis = 0; axis < shape.size(); ++axis) {
        const auto& dimension = declared.shape[axis];
        if (dimension.size) {
            if (*dimension.size != shape[axis]) {
                return mismatch();
            }
        } else if (!dimension.symbol.empty()) {
            const auto [bound, inserted] = symbols.try_emplace(dimension.symbol, shape[axis]);
            if (!inserted && bound->second != shape[axis]) {
                return mismatch() + " (" + dimension.symbol + " is " + std::to_string(bound->second) + ")";
            }
        }
    }
    return std::nullopt;
}

std::string describeType(const ValueType& type) {
    switch (type.kind) {
    case ValueType::Kind::tensor: {
        std::string text = "tensor<" + std::string(dataTypeName(type.dataType)) + ", [";
        for (std::size_t i = 0; i < type.shape.size(); ++i) {
            const auto& dimension = type.shape[i];
            text += i == 0 ? "" : ", ";
            text += dimension.size ? std::to_string(*dimension.size) : dimension.symbol.empty() ? "?" : dimension.symbol;
        }
        return text + "]>";
    }
    case ValueType::Kind::state: return "state<" + (type.elements.empty() ? std::string() : describeType(type.elements.front())) + ">";
    case ValueType::Kind::list: return "list";
    case ValueType::Kind::tuple: return "tuple";
    case ValueType::Kind::dict: return "dict";
    }
    return "value";
}

} // namespace platform::coreml::mil
