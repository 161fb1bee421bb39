#pragma once
// Reads the text form of a compiled program, in both dialects that compilers
// print (the verbose one with `tensor<string, []>("x")` scalars and the short
// one with `string("x")`). Only the syntax is checked here; names, operations
// and shapes are checked when the program is prepared for running.

#include "Platform/Core/Error.hpp"
#include "Platform/CoreML/MIL/ProgramSyntax.hpp"

#include <string_view>

namespace platform::coreml::mil {

// Malformed text, with the place it was found.
class ProgramSyntaxError : public Error {
public:
    ProgramSyntaxError(SourceLocation location, const std::string& message);

    SourceLocation location() const { return location_; }
    // The message without the place.
    const std::string& message() const { return message_; }

private:
    SourceLocation location_;
    std::string message_;
};

// Throws ProgramSyntaxError for malformed text; an element type the runtime
// does not know is a ProgramSyntaxError too (see UnknownDataTypeError).
Program parseProgram(std::string_view text);

// A type name the runtime does not know ("fp8", "int2", ...): the text may be
// sound but this runtime cannot hold the value.
class UnknownDataTypeError : public ProgramSyntaxError {
public:
    using ProgramSyntaxError::ProgramSyntaxError;
};

} // namespace platform::coreml::mil
