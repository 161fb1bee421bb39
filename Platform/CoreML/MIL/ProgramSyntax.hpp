#pragma once
// A compiled program as its text form writes it, before any checking of
// names, operations or shapes: functions, their operations with typed results,
// named arguments and attribute blocks, and constant values (inline literals or
// references into a weight file).

#include "Platform/CoreML/MIL/DataType.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::coreml::mil {

struct SourceLocation {
    int line = 0;   // 1-based
    int column = 0; // 1-based, in bytes
};

// One dimension: a fixed size, or a symbol ("?" is an anonymous symbol, written
// as an empty name) bound from the inputs at each prediction.
struct Dimension {
    std::optional<std::int64_t> size;
    std::string symbol;

    bool operator==(const Dimension&) const = default;
};

struct ValueType {
    enum class Kind { tensor, state, list, tuple, dict };

    Kind kind = Kind::tensor;
    DataType dataType = DataType::fp32; // tensor only; a scalar has no dimensions
    std::vector<Dimension> shape;       // tensor only
    std::vector<ValueType> elements;    // state: the tensor it holds; list: element; tuple: members; dict: key, value

    bool operator==(const ValueType&) const = default;
};

struct DictionaryEntry;

// Where a constant's elements lie: the metadata record at `offset` in the weight
// file at `path` ("@model_path/weights/weight.bin").
struct BlobReference {
    std::string path;
    std::uint64_t offset = 0;

    bool operator==(const BlobReference&) const = default;
};

// A value written in the text: its type and either inline elements (a tensor of
// that type and shape; a flat list fills a shape of any rank), a weight-file
// reference, dictionary entries, or tuple members.
struct ConstantValue {
    ValueType type;
    std::optional<Tensor> tensor;
    std::optional<BlobReference> blob;
    std::vector<DictionaryEntry> dictEntries;
    std::vector<ConstantValue> tupleMembers;
    SourceLocation location;
};

// A key of a written dictionary and its value. A named type rather than a
// pair, whose members would have to be complete where ConstantValue is declared.
struct DictionaryEntry {
    ConstantValue first;
    ConstantValue second;
};

// One argument binding: the name of an earlier value, or a literal value.
struct Binding {
    std::string name;
    std::optional<ConstantValue> value;
    SourceLocation location;
};

// `x = a` has one binding; a tuple `values = (a, b, c)` has several.
struct Argument {
    std::vector<Binding> bindings;
    bool isTuple = false;
};

struct NamedValueType {
    ValueType type;
    std::string name;
    SourceLocation location;
};

struct Operation;

// A function body, or a nested block of a control-flow operation.
struct Block {
    std::vector<NamedValueType> inputs; // block parameters (loops); empty for a function body
    std::vector<Operation> operations;
    std::vector<std::string> outputs;   // the names after "->"
};

struct Operation {
    std::string type;                                       // "conv", "const", "write_state", ...
    std::vector<NamedValueType> results;                    // empty for result-less operations
    std::vector<std::pair<std::string, Argument>> inputs;   // in written order
    std::map<std::string, ConstantValue> attributes;        // "name", "val", and constexpr parameters
    std::vector<Block> blocks;
    SourceLocation location;
};

struct Function {
    std::string name;
    std::string opset; // "ios15" ... "ios18", kept as written
    std::vector<NamedValueType> inputs;
    std::map<std::string, ConstantValue> attributes;
    Block body;
    SourceLocation location;
};

struct Program {
    std::string version; // "1.0", "1.3", as written
    std::map<std::string, ConstantValue> attributes;
    std::vector<Function> functions;
};

} // namespace platform::coreml::mil
