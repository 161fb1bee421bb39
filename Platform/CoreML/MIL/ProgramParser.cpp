#include "Platform/CoreML/MIL/ProgramParser.hpp"

#include "Platform/CoreML/MIL/ProgramLexer.hpp"
#include "Platform/CoreML/MIL/ValueParser.hpp"

#include <algorithm>

namespace platform::coreml::mil {

ProgramSyntaxError::ProgramSyntaxError(SourceLocation location, const std::string& message)
    : Error("line " + std::to_string(location.line) + ", column " + std::to_string(location.column) + ": " + message),
      location_(location), message_(message) {}

namespace {

constexpr int maximumBlockDepth = 32;

class Parser {
public:
    explicit Parser(std::string_view text) : lexer_(text), values_(lexer_) {}

    Program parse() {
        Program program;
        const Token keyword = lexer_.next();
        if (!keyword.isIdentifier("program")) {
            throwSyntaxError(keyword.location, "expected 'program' at the start of the text, found " + describeToken(keyword));
        }
        lexer_.expect("(", "after 'program'");
        const Token version = lexer_.next();
        if (version.kind != TokenKind::number) {
            throwSyntaxError(version.location, "expected the version of the program, found " + describeToken(version));
        }
        program.version = version.text;
        lexer_.expect(")", "after the version of the program");
        if (lexer_.peek().is("[")) {
            program.attributes = parseInformationalAttributes("of the program");
        }
        lexer_.expect("{", "to open the body of the program");
        while (lexer_.peek().isIdentifier("func")) {
            program.functions.push_back(parseFunction());
        }
        const Token close = lexer_.next();
        if (!close.is("}")) {
            throwSyntaxError(close.location, "expected 'func' or '}' in the body of the program, found " + describeToken(close));
        }
        if (program.functions.empty()) {
            throwSyntaxError(close.location, "a program needs at least one function");
        }
        if (const auto& rest = lexer_.peek(); rest.kind != TokenKind::end) {
            throwSyntaxError(rest.location, "unexpected " + describeToken(rest) + " after the end of the program");
        }
        return program;
    }

private:
    Function parseFunction() {
        Function function;
        function.location = lexer_.next().location;
        function.name = lexer_.expectIdentifier("the name of a function after 'func'").text;
        const Phrase where{"of the function '", function.name, "'"};
        lexer_.expect("<", Phrase{"after the name of the function '", function.name, "'"});
        function.opset = lexer_.expectIdentifier(Phrase("the operation set ") + where).text;
        lexer_.expect(">", Phrase("after the operation set ") + where);
        lexer_.expect("(", Phrase("to open the parameters ") + where);
        function.inputs = parseNamedTypes(")", Phrase("a parameter ") + where);
        lexer_.expect(")", Phrase("or ',' after the parameters ") + where);
        if (lexer_.peek().is("[")) {
            function.attributes = parseInformationalAttributes(where);
        }
        function.body = parseBlock(0, where);
        lexer_.expect(";", Phrase("after the outputs ") + where);
        return function;
    }

    // `type name, type name, ...` up to (not including) `close`.
    std::vector<NamedValueType> parseNamedTypes(std::string_view close, const Phrase& what) {
        std::vector<NamedValueType> list;
        while (!lexer_.peek().is(close)) {
            list.push_back(parseNamedType(what));
            if (!lexer_.peek().is(",")) {
                break;
            }
            lexer_.next();
        }
        return list;
    }

    NamedValueType parseNamedType(const Phrase& what) {
        NamedValueType named;
        named.type = values_.parseType(Phrase("for ") + what);
        const Token name = lexer_.expectIdentifier(Phrase("the name of ") + what + " after its type");
        named.name = name.text;
        named.location = name.location;
        return named;
    }

    // `{ statements } -> (outputs)`.
    Block parseBlock(int depth, const Phrase& where) {
        Block block;
        lexer_.expect("{", Phrase("to open the body ") + where);
        while (!lexer_.peek().is("}")) {
            if (lexer_.peek().kind == TokenKind::end) {
                throwSyntaxError(lexer_.peek().location, "the file ends inside the body " + where.text());
            }
            block.operations.push_back(parseOperation(depth));
        }
        lexer_.next();
        lexer_.expect("->", Phrase("after the body ") + where);
        lexer_.expect("(", Phrase("to open the outputs ") + where);
        while (!lexer_.peek().is(")")) {
            block.outputs.emplace_back(lexer_.expectIdentifier(Phrase("the name of an output ") + where).text);
            if (!lexer_.peek().is(",")) {
                break;
            }
            lexer_.next();
        }
        lexer_.expect(")", Phrase("or ',' after the outputs ") + where);
        return block;
    }

    Operation parseOperation(int depth) {
        Operation operation;
        const bool hasResults = !(lexer_.peek().kind == TokenKind::identifier && lexer_.peek(1).is("("));
        if (hasResults) {
            operation.results = parseResults();
        }
        const Token type = lexer_.expectIdentifier(hasResults ? "the operation after '='" : "an operation");
        operation.type = type.text;
        operation.location = type.location;
        const Phrase where{"of ", operation.type};
        lexer_.expect("(", {"after the operation ", operation.type});
        parseArguments(operation);
        lexer_.expect(")", Phrase("after the arguments ") + where);
        bool hasAttributes = false;
        if (lexer_.peek().is("[")) {
            operation.attributes = parseAttributes(where);
            hasAttributes = true;
        }
        while (lexer_.peek().is("{") || lexer_.peek().is("(")) {
            operation.blocks.push_back(parseNestedBlock(depth, where));
        }
        if (!hasAttributes && !operation.blocks.empty() && lexer_.peek().is("[")) {
            operation.attributes = parseAttributes(where);
        }
        lexer_.expect(";", {"after the operation ", operation.type});
        return operation;
    }

    // A control-flow block, with its parameters in parentheses for loops.
    Block parseNestedBlock(int depth, const Phrase& where) {
        if (depth + 1 > maximumBlockDepth) {
            throwSyntaxError(lexer_.peek().location,
                             "blocks are nested more than " + std::to_string(maximumBlockDepth) + " levels deep");
        }
        std::vector<NamedValueType> inputs;
        if (lexer_.peek().is("(")) {
            lexer_.next();
            inputs = parseNamedTypes(")", Phrase("a block parameter ") + where);
            lexer_.expect(")", Phrase("or ',' after the block parameters ") + where);
        }
        Block block = parseBlock(depth + 1, Phrase("of a block ") + where);
        block.inputs = std::move(inputs);
        return block;
    }

    // `type a, type b =` or `(type a, type b) =`.
    std::vector<NamedValueType> parseResults() {
        std::vector<NamedValueType> results;
        if (lexer_.peek().is("(")) {
            lexer_.next();
            results = parseNamedTypes(")", "a result");
            lexer_.expect(")", "or ',' after the results of an operation");
        } else {
            results.push_back(parseNamedType("a result"));
            while (lexer_.peek().is(",")) {
                lexer_.next();
                results.push_back(parseNamedType("a result"));
            }
        }
        lexer_.expect("=", "after the results of an operation");
        return results;
    }

    void parseArguments(Operation& operation) {
        while (!lexer_.peek().is(")")) {
            const Token name = lexer_.expectIdentifier({"an argument name or ')' in the arguments of ", operation.type});
            const Phrase what{"the argument '", name.text, "' of ", operation.type};
            const bool repeated = std::ranges::any_of(operation.inputs, [&](const auto& input) { return input.first == name.text; });
            if (repeated) {
                throwSyntaxError(name.location, what.text() + " is given twice");
            }
            lexer_.expect("=", Phrase("after ") + what);
            operation.inputs.emplace_back(std::string(name.text), parseArgument(what));
            if (!lexer_.peek().is(",")) {
                break;
            }
            lexer_.next();
        }
    }

    Argument parseArgument(const Phrase& what) {
        Argument argument;
        if (!lexer_.peek().is("(")) {
            argument.bindings.push_back(parseBinding(what));
            return argument;
        }
        argument.isTuple = true;
        lexer_.next();
        while (!lexer_.peek().is(")")) {
            argument.bindings.push_back(parseBinding(Phrase("a member of ") + what));
            if (!lexer_.peek().is(",")) {
                break;
            }
            lexer_.next();
        }
        lexer_.expect(")", Phrase("or ',' after the members of ") + what);
        return argument;
    }

    Binding parseBinding(const Phrase& what) {
        Binding binding;
        binding.location = lexer_.peek().location;
        if (values_.atValue()) {
            binding.value = values_.parseValue(Phrase("for ") + what);
            return binding;
        }
        const Token token = lexer_.next();
        if (token.kind != TokenKind::identifier) {
            throwSyntaxError(token.location, "expected a name or a value for " + what.text() + ", found " + describeToken(token));
        }
        binding.name = token.text;
        return binding;
    }

    // `[name = value, ...]`.
    std::map<std::string, ConstantValue> parseAttributes(const Phrase& where) {
        std::map<std::string, ConstantValue> attributes;
        lexer_.next();
        while (!lexer_.peek().is("]")) {
            const Token name = lexer_.expectIdentifier(Phrase("an attribute name or ']' in the attributes ") + where);
            const Phrase what = Phrase{"the attribute '", name.text, "' "} + where;
            lexer_.expect("=", Phrase("after ") + what);
            auto value = values_.parseValue(Phrase("for ") + what);
            if (!attributes.emplace(name.text, std::move(value)).second) {
                throwSyntaxError(name.location, what.text() + " is given twice");
            }
            if (!lexer_.peek().is(",")) {
                break;
            }
            lexer_.next();
        }
        lexer_.expect("]", Phrase("or ',' after the attributes ") + where);
        return attributes;
    }

    // Attributes of a program or a function only describe it (build details,
    // flexible shapes) and their layout varies between compilers: one that
    // does not read as a value is skipped rather than failing the program.
    std::map<std::string, ConstantValue> parseInformationalAttributes(const Phrase& where) {
        std::map<std::string, ConstantValue> attributes;
        lexer_.next();
        while (!lexer_.peek().is("]")) {
            const Token name = lexer_.expectIdentifier(Phrase("an attribute name or ']' in the attributes ") + where);
            const Phrase what = Phrase{"the attribute '", name.text, "' "} + where;
            lexer_.expect("=", Phrase("after ") + what);
            const ProgramLexer start = lexer_;
            try {
                auto value = values_.parseValue(Phrase("for ") + what);
                if (!lexer_.peek().is(",") && !lexer_.peek().is("]")) {
                    throwSyntaxError(lexer_.peek().location, "unexpected text after the attribute");
                }
                attributes.insert_or_assign(std::string(name.text), std::move(value));
            } catch (const ProgramSyntaxError&) {
                lexer_ = start;
                skipAttributeValue(where);
            }
            if (!lexer_.peek().is(",")) {
                break;
            }
            lexer_.next();
        }
        lexer_.expect("]", Phrase("or ',' after the attributes ") + where);
        return attributes;
    }

    // Skips balanced brackets up to the ',' or ']' that ends an attribute.
    void skipAttributeValue(const Phrase& where) {
        std::vector<std::string_view> closers;
        while (true) {
            const Token& token = lexer_.peek();
            if (token.kind == TokenKind::end) {
                throwSyntaxError(token.location, "the file ends inside the attributes " + where.text());
            }
            if (closers.empty() && (token.is(",") || token.is("]"))) {
                return;
            }
            if (token.is("(") || token.is("[") || token.is("{") || token.is("<")) {
                closers.push_back(token.is("(") ? ")" : token.is("[") ? "]" : token.is("{") ? "}" : ">");
            } else if (token.is(")") || token.is("]") || token.is("}") || token.is(">")) {
                if (closers.empty() || !token.is(closers.back())) {
                    throwSyntaxError(token.location, "unbalanced " + describeToken(token) + " in the attributes " + where.text());
                }
                closers.pop_back();
            }
            lexer_.next();
        }
    }

    ProgramLexer lexer_;
    ValueParser values_;
};

} // namespace

Program parseProgram(std::string_view text) { return Parser(text).parse(); }

} // namespace platform::coreml::mil
