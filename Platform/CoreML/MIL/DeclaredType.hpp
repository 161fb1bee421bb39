#pragma once
// How a computed value is held to the type its program declares for it: the
// declared element type is applied, and fixed and named dimensions are checked.

#include "Platform/CoreML/MIL/ProgramSyntax.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace platform::coreml::mil {

// Sizes bound to named dimensions during one prediction.
using SymbolBindings = std::map<std::string, std::int64_t, std::less<>>;

// The value carried in the declared element type (a relabelling when the
// storage is the same, a conversion otherwise).
Tensor withDeclaredType(const Tensor& value, const ValueType& declared);

// Why `shape` does not fit `declared`, or nothing when it fits. Named
// dimensions are bound on first sight and compared afterwards.
std::optional<std::string> shapeMismatch(const Shape& shape, const ValueType& declared, SymbolBindings& symbols);

std::string describeType(const ValueType& type); // "tensor<fp16, [1, ?, 64]>"

} // namespace platform::coreml::mil
