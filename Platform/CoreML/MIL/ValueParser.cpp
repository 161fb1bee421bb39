#include "Platform/CoreML/MIL/ValueParser.hpp"

#include "Platform/CoreML/MIL/DeclaredType.hpp"
#include "Platform/CoreML/MIL/LiteralReader.hpp"
#include "Platform/CoreML/MIL/ProgramParser.hpp"

#include <limits>

namespace platform::coreml::mil {
namespace {

constexpr int maximumDepth = 32;

// A numeric family name followed by a width ("fp8", "int2", "float8e4m3"):
// a name that can only be meant as an element type.
bool looksLikeElementType(std::string_view name) {
    for (const std::string_view family : {"fp", "bf", "int", "uint", "float", "bfloat", "complex"}) {
        if (name.size() > family.size() && name.starts_with(family) && name[family.size()] >= '0' &&
            name[family.size()] <= '9') {
            return name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") == std::string_view::npos;
        }
    }
    return false;
}

bool isScalar(const ValueType& type) { return type.kind == ValueType::Kind::tensor && type.shape.empty(); }

} // namespace

ValueParser::DepthGuard::DepthGuard(ValueParser& parser, SourceLocation location) : parser_(parser) {
    if (++parser_.depth_ > maximumDepth) {
        --parser_.depth_;
        throwSyntaxError(location, "types or values are nested more than " + std::to_string(maximumDepth) + " levels deep");
    }
}

bool ValueParser::atValue() {
    const auto& first = lexer_.peek();
    if (first.kind != TokenKind::identifier || first.text == "BLOBFILE") {
        return false;
    }
    const auto& second = lexer_.peek(1);
    return second.is("(") || second.is("<");
}

DataType ValueParser::elementType(const Token& token, const Phrase& context) {
    if (token.kind == TokenKind::identifier) {
        if (const auto type = dataTypeFromName(token.text)) {
            return *type;
        }
        if (looksLikeElementType(token.text)) {
            throw UnknownDataTypeError(token.location, "unknown element type " + quotedText(token.text));
        }
    }
    throwSyntaxError(token.location, "expected a type " + context.text() + ", found " + describeToken(token));
}

ValueType ValueParser::parseType(const Phrase& context) {
    const DepthGuard guard(*this, lexer_.peek().location);
    const Token name = lexer_.next();
    const bool isCompound = lexer_.peek().is("<");
    ValueType type;
    if (isCompound && name.isIdentifier("tensor")) {
        lexer_.next();
        type.dataType = elementType(lexer_.next(), "for the elements of a tensor");
        lexer_.expect(",", "after the element type of a tensor");
        type.shape = parseShape();
    } else if (isCompound && name.isIdentifier("state")) {
        lexer_.next();
        type.kind = ValueType::Kind::state;
        type.elements.push_back(parseType("inside state<...>"));
    } else if (isCompound && name.isIdentifier("list")) {
        lexer_.next();
        type.kind = ValueType::Kind::list;
        type.elements.push_back(parseType("for the elements of a list"));
        lexer_.expect(",", "after the element type of a list");
        type.shape.push_back(parseDimension());
    } else if (isCompound && name.isIdentifier("dict")) {
        lexer_.next();
        type.kind = ValueType::Kind::dict;
        type.elements.push_back(parseType("for the keys of a dictionary"));
        lexer_.expect(",", "after the key type of a dictionary");
        type.elements.push_back(parseType("for the values of a dictionary"));
    } else if (isCompound && name.isIdentifier("tuple")) {
        lexer_.next();
        type.kind = ValueType::Kind::tuple;
        while (!lexer_.peek().is(">")) {
            type.elements.push_back(parseType("for a member of a tuple"));
            if (!lexer_.peek().is(",")) {
                break;
            }
            lexer_.next();
        }
    } else {
        type.dataType = elementType(name, context);
        return type;
    }
    if (const Token close = lexer_.next(); !close.is(">")) {
        throwSyntaxError(close.location, "expected '>' to close " + describeType(type) + ", found " + describeToken(close));
    }
    return type;
}

std::vector<Dimension> ValueParser::parseShape() {
    lexer_.expect("[", "for the shape of a tensor");
    std::vector<Dimension> shape;
    while (!lexer_.peek().is("]")) {
        shape.push_back(parseDimension());
        if (!lexer_.peek().is(",")) {
            break;
        }
        lexer_.next();
    }
    lexer_.expect("]", "or ',' in the shape of a tensor");
    return shape;
}

Dimension ValueParser::parseDimension() {
    const Token token = lexer_.next();
    if (token.is("?")) {
        return {};
    }
    if (token.kind == TokenKind::identifier) {
        return {std::nullopt, std::string(token.text)};
    }
    if (token.kind != TokenKind::number) {
        throwSyntaxError(token.location, "expected a dimension (a size, '?' or a name), found " + describeToken(token));
    }
    const auto size = readUnsignedInteger(token, "a dimension");
    if (size > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        throwSyntaxError(token.location, "the dimension " + quotedText(token.text) + " is too large");
    }
    return {static_cast<std::int64_t>(size), {}};
}

ConstantValue ValueParser::parseValue(const Phrase& context) {
    const DepthGuard guard(*this, lexer_.peek().location);
    ConstantValue value;
    value.location = lexer_.peek().location;
    value.type = parseType(context);
    if (const Token open = lexer_.next(); !open.is("(")) {
        throwSyntaxError(open.location, "expected '(' after the type " + describeType(value.type) + " of a value, found " +
                                            describeToken(open));
    }
    readContents(value);
    if (const Token close = lexer_.next(); !close.is(")")) {
        throwSyntaxError(close.location, "expected ')' after the value of " + describeType(value.type) + ", found " +
                                             describeToken(close));
    }
    return value;
}

void ValueParser::readContents(ConstantValue& value) {
    switch (value.type.kind) {
    case ValueType::Kind::tensor:
        if (lexer_.peek().isIdentifier("BLOBFILE")) {
            value.blob = readBlob();
        } else {
            value.tensor = readTensorLiteral(lexer_, value.type);
        }
        return;
    case ValueType::Kind::dict: readDictionary(value); return;
    case ValueType::Kind::tuple: readTuple(value); return;
    case ValueType::Kind::list: readList(value); return;
    case ValueType::Kind::state: break;
    }
    throwSyntaxError(value.location, "a state cannot be written as a value");
}

// A member of a dictionary, tuple or list: a full value, or the bare contents
// of one of the member type (`"k"` for a string key).
ConstantValue ValueParser::readMember(const ValueType& type) {
    if (atValue()) {
        return parseValue("for a member");
    }
    const DepthGuard guard(*this, lexer_.peek().location);
    ConstantValue member;
    member.type = type;
    member.location = lexer_.peek().location;
    readContents(member);
    return member;
}

void ValueParser::readDictionary(ConstantValue& value) {
    const auto typeText = describeType(value.type);
    lexer_.expect("{", {"to open the entries of ", typeText});
    while (!lexer_.peek().is("}")) {
        lexer_.expect("{", {"to open an entry of ", typeText});
        auto key = readMember(value.type.elements[0]);
        lexer_.expect(",", {"after the key of an entry of ", typeText});
        auto entry = readMember(value.type.elements[1]);
        lexer_.expect("}", {"to close an entry of ", typeText});
        value.dictEntries.push_back({std::move(key), std::move(entry)});
        if (!lexer_.peek().is(",")) {
            break;
        }
        lexer_.next();
    }
    lexer_.expect("}", {"or ',' after an entry of ", typeText});
}

void ValueParser::readTuple(ConstantValue& value) {
    const auto typeText = describeType(value.type);
    const Token open = lexer_.next();
    if (!open.is("(") && !open.is("{")) {
        throwSyntaxError(open.location, "expected '(' to open the members of " + typeText + ", found " + describeToken(open));
    }
    const std::string close = open.is("(") ? ")" : "}";
    while (!lexer_.peek().is(close)) {
        if (value.tupleMembers.size() == value.type.elements.size()) {
            throwSyntaxError(lexer_.peek().location, "more members than " + typeText + " has");
        }
        value.tupleMembers.push_back(readMember(value.type.elements[value.tupleMembers.size()]));
        if (!lexer_.peek().is(",")) {
            break;
        }
        lexer_.next();
    }
    const Token end = lexer_.expect(close, {"or ',' after a member of ", typeText});
    if (value.tupleMembers.size() != value.type.elements.size()) {
        throwSyntaxError(end.location, "fewer members than " + typeText + " has");
    }
}

void ValueParser::readList(ConstantValue& value) {
    const auto typeText = describeType(value.type);
    lexer_.expect("[", {"to open the elements of ", typeText});
    while (!lexer_.peek().is("]")) {
        value.tupleMembers.push_back(readMember(value.type.elements.front()));
        if (!lexer_.peek().is(",")) {
            break;
        }
        lexer_.next();
    }
    const Token end = lexer_.expect("]", {"or ',' after an element of ", typeText});
    const auto& length = value.type.shape.front().size;
    if (length && static_cast<std::size_t>(*length) != value.tupleMembers.size()) {
        throwSyntaxError(end.location, std::to_string(value.tupleMembers.size()) + " elements written for " + typeText);
    }
}

BlobReference ValueParser::readBlob() {
    const Token keyword = lexer_.next();
    lexer_.expect("(", "after BLOBFILE");
    std::optional<std::string> path;
    std::optional<std::uint64_t> offset;
    while (!lexer_.peek().is(")")) {
        const Token name = lexer_.expectIdentifier("'path' or 'offset' in BLOBFILE");
        lexer_.expect("=", {"after '", name.text, "' in BLOBFILE"});
        if (name.text == "path" && !path) {
            path = readBlobPath();
        } else if (name.text == "offset" && !offset) {
            offset = readBlobOffset();
        } else {
            throwSyntaxError(name.location, "BLOBFILE takes one path and one offset, not '" + std::string(name.text) + "' here");
        }
        if (!lexer_.peek().is(",")) {
            break;
        }
        lexer_.next();
    }
    lexer_.expect(")", "after the arguments of BLOBFILE");
    if (!path || !offset) {
        throwSyntaxError(keyword.location, "BLOBFILE needs both a path and an offset");
    }
    return {*path, *offset};
}

std::string ValueParser::readBlobPath() {
    const auto location = lexer_.peek().location;
    const auto type = parseType("for the path of BLOBFILE");
    if (!isScalar(type) || type.dataType != DataType::string) {
        throwSyntaxError(location, "the path of BLOBFILE must be a string, not " + describeType(type));
    }
    lexer_.expect("(", "after the type of the path of BLOBFILE");
    const Token text = lexer_.next();
    if (text.kind != TokenKind::string) {
        throwSyntaxError(text.location, "expected a string for the path of BLOBFILE, found " + describeToken(text));
    }
    lexer_.expect(")", "after the path of BLOBFILE");
    return text.value;
}

std::uint64_t ValueParser::readBlobOffset() {
    const auto location = lexer_.peek().location;
    const auto type = parseType("for the offset of BLOBFILE");
    if (!isScalar(type) || !isInteger(type.dataType)) {
        throwSyntaxError(location, "the offset of BLOBFILE must be an integer, not " + describeType(type));
    }
    lexer_.expect("(", "after the type of the offset of BLOBFILE");
    const auto offset = readUnsignedInteger(lexer_.next(), "the offset of BLOBFILE");
    lexer_.expect(")", "after the offset of BLOBFILE");
    return offset;
}

} // namespace platform::coreml::mil
