#pragma once
// Reads the types (`tensor<fp16, [1, ?]>`, a bare `fp32`, `state<...>`,
// `list<...>`, `tuple<...>`, `dict<...>`) and the written values
// (`tensor<int32, [2]>([1, 1])`, `string("x")`, weight-file references,
// dictionaries, tuples) of a program's text.

#include "Platform/CoreML/MIL/ProgramLexer.hpp"
#include "Platform/CoreML/MIL/ProgramSyntax.hpp"

#include <cstdint>
#include <string>

namespace platform::coreml::mil {

class ValueParser {
public:
    explicit ValueParser(ProgramLexer& lexer) : lexer_(lexer) {}

    // `context` ends the error "expected a type <context>, found ...".
    ValueType parseType(const Phrase& context);
    ConstantValue parseValue(const Phrase& context);
    // Whether the next tokens start a written value rather than a name.
    bool atValue();

private:
    // Bounds the nesting of types and values so no input can exhaust the stack.
    class DepthGuard {
    public:
        DepthGuard(ValueParser& parser, SourceLocation location);
        ~DepthGuard() { --parser_.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

    private:
        ValueParser& parser_;
    };

    DataType elementType(const Token& token, const Phrase& context);
    std::vector<Dimension> parseShape();
    Dimension parseDimension();
    void readContents(ConstantValue& value);
    ConstantValue readMember(const ValueType& type);
    void readDictionary(ConstantValue& value);
    void readTuple(ConstantValue& value);
    void readList(ConstantValue& value);
    BlobReference readBlob();
    std::string readBlobPath();
    std::uint64_t readBlobOffset();

    ProgramLexer& lexer_;
    int depth_ = 0;
};

} // namespace platform::coreml::mil
