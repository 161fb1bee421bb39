#pragma once
// Reads the inline contents of a tensor value (a single element, or an array
// nested one level per dimension or written flat) into a tensor of the
// declared type, checking every element against its element type and the
// element count against the shape.

#include "Platform/CoreML/MIL/ProgramLexer.hpp"
#include "Platform/CoreML/MIL/ProgramSyntax.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <string>

namespace platform::coreml::mil {

// Unknown dimensions of `type` take their size from the literal.
Tensor readTensorLiteral(ProgramLexer& lexer, const ValueType& type);

// A non-negative integer token (a weight-file offset, a dimension); `what`
// names it in the error for anything else.
std::uint64_t readUnsignedInteger(const Token& token, const std::string& what);

} // namespace platform::coreml::mil
