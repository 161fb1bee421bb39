#include "Platform/Accel/Float16.hpp"
#include "Platform/CoreML/MIL/ProgramParser.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace platform::coreml::mil;

// A compiler-style program in the verbose dialect: scalars as tensor<T, []>,
// two weights in the blob file (the second record after the first's 184320
// bytes of payload), a convolution and an activation.
const std::string verboseProgram = R"(program(1.0)
[buildInfo = dict<tensor<string, []>, tensor<string, []>>({{"coremlc-component-MIL", "3402.3.2"}, {"coremltools-version", "8.1"}})]
{
    func main<ios17>(tensor<fp16, [1, 80, 3000]> mel) {
            tensor<string, []> c1_pad_type = const()[name = tensor<string, []>("c1_pad_type"), val = tensor<string, []>("custom")];
            tensor<int32, [2]> c1_pad = const()[name = tensor<string, []>("c1_pad"), val = tensor<int32, [2]>([1, 1])];
            tensor<int32, [1]> c1_strides = const()[name = tensor<string, []>("c1_strides"), val = tensor<int32, [1]>([1])];
            tensor<int32, [1]> c1_dil = const()[name = tensor<string, []>("c1_dil"), val = tensor<int32, [1]>([1])];
            tensor<int32, []> c1_groups = const()[name = tensor<string, []>("c1_groups"), val = tensor<int32, []>(1)];
            tensor<fp16, [384, 80, 3]> c1_w = const()[name = tensor<string, []>("c1_w"), val = tensor<fp16, [384, 80, 3]>(BLOBFILE(path = tensor<string, []>("@model_path/weights/weight.bin"), offset = tensor<uint64, []>(64)))];
            tensor<fp16, [384]> c1_b = const()[name = tensor<string, []>("c1_b"), val = tensor<fp16, [384]>(BLOBFILE(path = tensor<string, []>("@model_path/weights/weight.bin"), offset = tensor<uint64, []>(184448)))];
            tensor<fp16, [1, 384, 3000]> h1 = conv(bias = c1_b, dilations = c1_dil, groups = c1_groups, pad = c1_pad, pad_type = c1_pad_type, strides = c1_strides, weight = c1_w, x = mel)[name = tensor<string, []>("conv1")];
            tensor<fp16, []> half = const()[name = tensor<string, []>("half"), val = tensor<fp16, []>(0x1p-1)];
            tensor<fp16, [1, 384, 3000]> h1s = mul(x = h1, y = half)[name = tensor<string, []>("scale1")];
            tensor<string, []> gmode = const()[name = tensor<string, []>("gmode"), val = tensor<string, []>("EXACT")];
            tensor<fp16, [1, 384, 3000]> h2 = gelu(mode = gmode, x = h1s)[name = tensor<string, []>("gelu1")];
        } -> (h2);
}
)";

// The short dialect: bare scalar types, a state parameter, a split with two
// results, and a result-less state write.
const std::string shortProgram = R"(program(1.3)
[buildInfo = dict<string, string>({{"coremlc-component-MIL", "3510.2.1"}, {"coremlc-version", "3505.4.1"}})]
{
    func main<ios18>(tensor<fp16, [1, 1, 512]> x, state<tensor<fp16, [1, 8, 448, 64]>> k_cache) {
        int32 ax = const()[name = string("ax"), val = int32(-1)];
        int32 n = const()[name = string("n"), val = int32(2)];
        tensor<fp16, [1, 1, 256]> a, tensor<fp16, [1, 1, 256]> b = split(axis = ax, num_splits = n, x = x)[name = string("glu")];
        tensor<fp16, [1, 1, 256]> g = sigmoid(x = b)[name = string("sig")];
        tensor<fp16, [1, 1, 256]> y = mul(x = a, y = g)[name = string("glu_out")];
        tensor<fp16, [1, 8, 448, 64]> k_old = read_state(input = k_cache)[name = string("rd")];
        write_state(data = k_old, input = k_cache)[name = string("upd_write_state")];
        tensor<fp16, [1, 8, 448, 64]> k_cur = read_state(input = k_cache)[name = string("upd")];
    } -> (y, k_cur);
}
)";

using LineAndColumn = std::pair<int, int>;

LineAndColumn at(SourceLocation location) { return {location.line, location.column}; }

// Line and column (1-based) of the first occurrence of `needle`.
LineAndColumn locationOf(const std::string& text, const std::string& needle) {
    const auto offset = text.find(needle);
    EXPECT_NE(offset, std::string::npos) << needle;
    SourceLocation location{1, 1};
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++location.line;
            location.column = 1;
        } else {
            ++location.column;
        }
    }
    return at(location);
}

const Operation& operationNamed(const Block& block, const std::string& result) {
    for (const auto& operation : block.operations) {
        for (const auto& named : operation.results) {
            if (named.name == result) {
                return operation;
            }
        }
    }
    throw std::runtime_error("no operation makes " + result);
}

std::vector<std::string> bindingNames(const Argument& argument) {
    std::vector<std::string> names;
    for (const auto& binding : argument.bindings) {
        names.push_back(binding.name);
    }
    return names;
}

ValueType tensorType(DataType dataType, std::vector<Dimension> shape) {
    ValueType type;
    type.dataType = dataType;
    type.shape = std::move(shape);
    return type;
}

ValueType compound(ValueType::Kind kind, std::vector<ValueType> elements, std::vector<Dimension> shape = {}) {
    ValueType type;
    type.kind = kind;
    type.elements = std::move(elements);
    type.shape = std::move(shape);
    return type;
}

Dimension fixed(std::int64_t size) { return {size, {}}; }
Dimension anonymous() { return {}; }
Dimension named(std::string symbol) { return {std::nullopt, std::move(symbol)}; }

// A one-constant program around `value`, parsed.
ConstantValue parseConstant(const std::string& type, const std::string& value) {
    const auto program = parseProgram("program(1.3) { func main<ios18>() { " + type + " v = const()[name = string(\"v\"), val = " +
                                      value + "]; } -> (v); }");
    return program.functions.at(0).body.operations.at(0).attributes.at("val");
}

std::string textOf(const ConstantValue& value) { return value.tensor.value().textValue(); }

// -- Whole programs ----------------------------------------------------------

TEST(ProgramParserPrograms, VerboseDialectProgram) {
    const auto program = parseProgram(verboseProgram);
    EXPECT_EQ(program.version, "1.0");
    const auto& buildInfo = program.attributes.at("buildInfo");
    EXPECT_EQ(buildInfo.type, compound(ValueType::Kind::dict, {tensorType(DataType::string, {}), tensorType(DataType::string, {})}));
    ASSERT_EQ(buildInfo.dictEntries.size(), 2u);
    EXPECT_EQ(textOf(buildInfo.dictEntries[1].first), "coremltools-version");
    EXPECT_EQ(textOf(buildInfo.dictEntries[1].second), "8.1");

    ASSERT_EQ(program.functions.size(), 1u);
    const auto& main = program.functions[0];
    EXPECT_EQ(main.name, "main");
    EXPECT_EQ(main.opset, "ios17");
    ASSERT_EQ(main.inputs.size(), 1u);
    EXPECT_EQ(main.inputs[0].name, "mel");
    EXPECT_EQ(main.inputs[0].type, tensorType(DataType::fp16, {fixed(1), fixed(80), fixed(3000)}));
    EXPECT_EQ(main.body.operations.size(), 12u);
    EXPECT_EQ(main.body.outputs, std::vector<std::string>{"h2"});

    const auto& pad = operationNamed(main.body, "c1_pad");
    EXPECT_EQ(pad.type, "const");
    EXPECT_TRUE(pad.inputs.empty());
    EXPECT_EQ(textOf(pad.attributes.at("name")), "c1_pad");
    EXPECT_EQ(pad.attributes.at("val").tensor->toInt64s(), (std::vector<std::int64_t>{1, 1}));
    EXPECT_EQ(pad.attributes.at("val").tensor->shape(), (Shape{2}));

    const auto& groups = operationNamed(main.body, "c1_groups").attributes.at("val");
    EXPECT_EQ(groups.type, tensorType(DataType::int32, {}));
    EXPECT_EQ(groups.tensor->shape(), Shape{});
    EXPECT_EQ(groups.tensor->toInt64s(), std::vector<std::int64_t>{1});

    const auto& weight = operationNamed(main.body, "c1_w").attributes.at("val");
    EXPECT_FALSE(weight.tensor.has_value());
    EXPECT_EQ(weight.blob, (BlobReference{"@model_path/weights/weight.bin", 64}));
    EXPECT_EQ(weight.type, tensorType(DataType::fp16, {fixed(384), fixed(80), fixed(3)}));
    EXPECT_EQ(operationNamed(main.body, "c1_b").attributes.at("val").blob->offset, 184448u);

    const auto& half = operationNamed(main.body, "half").attributes.at("val");
    EXPECT_EQ(half.tensor->dataType(), DataType::fp16);
    EXPECT_EQ(half.tensor->floatValues()[0], 0.5f);

    const auto& conv = operationNamed(main.body, "h1");
    EXPECT_EQ(conv.type, "conv");
    std::vector<std::string> argumentNames;
    for (const auto& [name, argument] : conv.inputs) {
        argumentNames.push_back(name);
        EXPECT_FALSE(argument.isTuple);
        ASSERT_EQ(argument.bindings.size(), 1u);
        EXPECT_FALSE(argument.bindings[0].value.has_value());
    }
    EXPECT_EQ(argumentNames,
              (std::vector<std::string>{"bias", "dilations", "groups", "pad", "pad_type", "strides", "weight", "x"}));
    EXPECT_EQ(conv.inputs.back().second.bindings[0].name, "mel");
    EXPECT_EQ(at(conv.inputs.back().second.bindings[0].location), locationOf(verboseProgram, "mel)["));
    EXPECT_EQ(textOf(conv.attributes.at("name")), "conv1");
    EXPECT_EQ(at(conv.location), locationOf(verboseProgram, "conv("));
    EXPECT_EQ(at(conv.results.at(0).location), locationOf(verboseProgram, "h1 = conv"));
    EXPECT_EQ(at(main.location), locationOf(verboseProgram, "func main"));
    EXPECT_EQ(operationNamed(main.body, "h2").type, "gelu");
}

TEST(ProgramParserPrograms, ShortDialectWithStateSplitAndResultlessWrite) {
    const auto program = parseProgram(shortProgram);
    EXPECT_EQ(program.version, "1.3");
    EXPECT_EQ(textOf(program.attributes.at("buildInfo").dictEntries.at(0).second), "3510.2.1");
    const auto& main = program.functions.at(0);
    EXPECT_EQ(main.opset, "ios18");
    ASSERT_EQ(main.inputs.size(), 2u);
    EXPECT_EQ(main.inputs[1].name, "k_cache");
    EXPECT_EQ(main.inputs[1].type, compound(ValueType::Kind::state, {tensorType(DataType::fp16, {fixed(1), fixed(8), fixed(448), fixed(64)})}));

    const auto& axis = operationNamed(main.body, "ax");
    EXPECT_EQ(axis.results.at(0).type, tensorType(DataType::int32, {}));
    EXPECT_EQ(axis.attributes.at("val").tensor->toInt64s(), std::vector<std::int64_t>{-1});
    EXPECT_EQ(textOf(axis.attributes.at("name")), "ax");

    const auto& split = operationNamed(main.body, "a");
    EXPECT_EQ(split.type, "split");
    ASSERT_EQ(split.results.size(), 2u);
    EXPECT_EQ(split.results[1].name, "b");
    EXPECT_EQ(split.results[1].type, tensorType(DataType::fp16, {fixed(1), fixed(1), fixed(256)}));

    const auto& write = main.body.operations.at(6);
    EXPECT_EQ(write.type, "write_state");
    EXPECT_TRUE(write.results.empty());
    ASSERT_EQ(write.inputs.size(), 2u);
    EXPECT_EQ(write.inputs[0].first, "data");
    EXPECT_EQ(bindingNames(write.inputs[1].second), std::vector<std::string>{"k_cache"});
    EXPECT_EQ(textOf(write.attributes.at("name")), "upd_write_state");
    EXPECT_EQ(at(write.location), locationOf(shortProgram, "write_state("));
    EXPECT_EQ(operationNamed(main.body, "k_cur").type, "read_state");
    EXPECT_EQ(main.body.outputs, (std::vector<std::string>{"y", "k_cur"}));
}

TEST(ProgramParserPrograms, SeveralFunctionsTuplesLiteralArgumentsAndParenthesisedResults) {
    const std::string text = R"(program(1)
{
    // two entry points sharing one weight
    func main<ios18>(tensor<fp32, [1, ?, n]> x, fp32 scale) {
        (tensor<fp32, [1, ?, n]> v, tensor<int32, [1, ?, n]> i) = topk(k = int32(1), x = x);
        tensor<fp32, [3, ?, n]> c = concat(axis = int32(0), interleave = bool(false), values = (x, v, x))[name = string("cat")];
        tensor<fp16, [4, 4]> w = constexpr_blockwise_shift_scale(data = tensor<int4, [4, 4]>(BLOBFILE(path = string("@model_path/weights/weight.bin"), offset = uint64(64))), scale = tensor<fp16, [4, 1]>([1, 2, 3, 4]))[name = string("w")];
        tensor<fp32, [2]> e = concat(axis = int32(0), values = ())[name = string("empty")];
    } -> (c);
    func second<CoreML8>() {
        tensor<fp16, [4, 4]> w = constexpr_blockwise_shift_scale(data = tensor<int4, [4, 4]>(BLOBFILE(offset = uint64(64), path = string("@model_path/weights/weight.bin"))), scale = w0);
    } -> ();
}
)";
    const auto program = parseProgram(text);
    EXPECT_EQ(program.version, "1");
    ASSERT_EQ(program.functions.size(), 2u);
    const auto& main = program.functions[0];
    EXPECT_EQ(main.inputs[0].type, tensorType(DataType::fp32, {fixed(1), anonymous(), named("n")}));
    EXPECT_EQ(main.inputs[1].type, tensorType(DataType::fp32, {}));

    const auto& topk = main.body.operations.at(0);
    ASSERT_EQ(topk.results.size(), 2u);
    EXPECT_EQ(topk.results[1].name, "i");
    EXPECT_EQ(topk.results[1].type.dataType, DataType::int32);
    EXPECT_TRUE(topk.attributes.empty());
    const auto& k = topk.inputs.at(0).second.bindings.at(0);
    EXPECT_TRUE(k.name.empty());
    EXPECT_EQ(k.value->tensor->toInt64s(), std::vector<std::int64_t>{1});

    const auto& values = main.body.operations.at(1).inputs.at(2).second;
    EXPECT_TRUE(values.isTuple);
    EXPECT_EQ(bindingNames(values), (std::vector<std::string>{"x", "v", "x"}));
    const auto& empty = main.body.operations.at(3).inputs.at(1).second;
    EXPECT_TRUE(empty.isTuple);
    EXPECT_TRUE(empty.bindings.empty());

    const auto& data = main.body.operations.at(2).inputs.at(0).second.bindings.at(0).value.value();
    EXPECT_EQ(data.type, tensorType(DataType::int4, {fixed(4), fixed(4)}));
    EXPECT_EQ(data.blob->offset, 64u);
    const auto& scale = main.body.operations.at(2).inputs.at(1).second.bindings.at(0).value.value();
    EXPECT_EQ(scale.tensor->toFloats(), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(scale.tensor->shape(), (Shape{4, 1}));

    const auto& second = program.functions[1];
    EXPECT_EQ(second.name, "second");
    EXPECT_EQ(second.opset, "CoreML8");
    EXPECT_TRUE(second.body.outputs.empty());
    EXPECT_EQ(second.body.operations.at(0).inputs.at(0).second.bindings.at(0).value->blob,
              (BlobReference{"@model_path/weights/weight.bin", 64}));
}

TEST(ProgramParserPrograms, ControlFlowBlocksAreKeptInOrder) {
    const auto program = parseProgram(R"(program(1.3) { func main<ios18>(bool p, fp32 x) {
        fp32 r = cond(pred = p) {
            fp32 t = add(x = x, y = fp32(1));
        } -> (t) {
            fp32 f = sub(x = x, y = fp32(1));
        } -> (f) [name = string("branch")];
        fp32 s = while_loop(loop_vars = (x)) (fp32 i) {
            bool go = less(x = i, y = fp32(10));
        } -> (go) (fp32 j) {
            fp32 j1 = add(x = j, y = fp32(1));
        } -> (j1);
    } -> (r, s); })");
    const auto& operations = program.functions.at(0).body.operations;
    const auto& branch = operations.at(0);
    ASSERT_EQ(branch.blocks.size(), 2u);
    EXPECT_EQ(branch.blocks[0].outputs, std::vector<std::string>{"t"});
    EXPECT_EQ(branch.blocks[1].operations.at(0).type, "sub");
    EXPECT_EQ(textOf(branch.attributes.at("name")), "branch");
    const auto& loop = operations.at(1);
    ASSERT_EQ(loop.blocks.size(), 2u);
    EXPECT_EQ(loop.blocks[0].inputs.at(0).name, "i");
    EXPECT_EQ(loop.blocks[1].inputs.at(0).name, "j");
    EXPECT_EQ(loop.blocks[1].outputs, std::vector<std::string>{"j1"});
}

TEST(ProgramParserPrograms, DescriptiveAttributesOfAnUnexpectedLayoutAreSkipped) {
    const auto program = parseProgram(R"(program(1.0)
[buildInfo = dict<string, string>({{"k", "v"}}), note = whatever{1, [2, (3)]}]
{
    func main<ios17>(tensor<fp32, [1, ?]> x) [FlexibleShapeInformation = tuple<tuple<string, dict<string, tensor<int32, [?]>>>>(((("DefaultShapes", {{"x", [1, 80]}})))), Other = strange<fp8>(1)] {
    } -> (x);
}
)");
    EXPECT_EQ(program.attributes.count("note"), 0u);
    EXPECT_EQ(textOf(program.attributes.at("buildInfo").dictEntries.at(0).second), "v");
    const auto& attributes = program.functions.at(0).attributes;
    EXPECT_EQ(attributes.count("FlexibleShapeInformation"), 0u);
    EXPECT_EQ(attributes.count("Other"), 0u);

    const auto flexible = parseProgram(R"(program(1.0) { func main<ios17>(tensor<fp32, [1, ?]> x)
        [FlexibleShapeInformation = tuple<string, dict<string, tensor<int32, [?]>>>(("DefaultShapes", {{"x", [1, 80]}}))] { } -> (x); })");
    const auto& information = flexible.functions.at(0).attributes.at("FlexibleShapeInformation");
    ASSERT_EQ(information.tupleMembers.size(), 2u);
    const auto& shape = information.tupleMembers[1].dictEntries.at(0).second;
    EXPECT_EQ(shape.tensor->shape(), Shape{2});
    EXPECT_EQ(shape.tensor->toInt64s(), (std::vector<std::int64_t>{1, 80}));
}

// -- Types and literals ------------------------------------------------------

TEST(ProgramParserValues, TypesInBothDialects) {
    struct Case {
        std::string name;
        std::string text;
        ValueType expected;
    };
    const std::vector<Case> cases = {
        {"verbose scalar", "tensor<fp16, []>", tensorType(DataType::fp16, {})},
        {"short scalar", "fp16", tensorType(DataType::fp16, {})},
        {"fixed and unknown dims", "tensor<fp16, [1, 80, ?]>", tensorType(DataType::fp16, {fixed(1), fixed(80), anonymous()})},
        {"named symbol", "tensor<int32, [is0, 3]>", tensorType(DataType::int32, {named("is0"), fixed(3)})},
        {"every element type name", "tensor<uint6, [2]>", tensorType(DataType::uint6, {fixed(2)})},
        {"bool and string", "tuple<bool, string>", compound(ValueType::Kind::tuple, {tensorType(DataType::boolean, {}), tensorType(DataType::string, {})})},
        {"empty tuple", "tuple<>", compound(ValueType::Kind::tuple, {})},
        {"state", "state<tensor<fp16, [1, 8, 448, 64]>>",
         compound(ValueType::Kind::state, {tensorType(DataType::fp16, {fixed(1), fixed(8), fixed(448), fixed(64)})})},
        {"list with length", "list<tensor<int32, [2]>, 4>", compound(ValueType::Kind::list, {tensorType(DataType::int32, {fixed(2)})}, {fixed(4)})},
        {"list of unknown length", "list<fp32, ?>", compound(ValueType::Kind::list, {tensorType(DataType::fp32, {})}, {anonymous()})},
        {"dict", "dict<string, tensor<fp32, [?]>>",
         compound(ValueType::Kind::dict, {tensorType(DataType::string, {}), tensorType(DataType::fp32, {anonymous()})})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto program = parseProgram("program(1.3) { func main<ios18>(" + c.text + " p) { } -> (p); }");
        EXPECT_EQ(program.functions.at(0).inputs.at(0).type, c.expected);
    }
}

TEST(ProgramParserValues, NumericAndBooleanLiterals) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::string name;
        std::string type;
        std::string value;
        DataType dataType;
        Shape shape;
        std::vector<double> expected;
    };
    const std::vector<Case> cases = {
        {"hex float with exponent", "fp32", "fp32(-0x1.388p+13)", DataType::fp32, {}, {-10000}},
        {"hex pi", "tensor<fp32, []>", "tensor<fp32, []>(0x1.921fb6p+1)", DataType::fp32, {}, {static_cast<float>(3.14159265358979)}},
        {"largest fp16", "fp16", "fp16(0x1.ffcp+15)", DataType::fp16, {}, {65504}},
        {"fp16 just below its overflow", "fp16", "fp16(65519)", DataType::fp16, {}, {65504}},
        {"fp16 rounds to its precision", "fp16", "fp16(0.1)", DataType::fp16, {},
         {platform::accel::halfToFloat(platform::accel::floatToHalf(0.1f))}},
        {"bf16 rounds to its precision", "bf16", "bf16(1.00390625)", DataType::bf16, {}, {1.0}},
        {"decimal forms", "tensor<fp32, [4]>", "tensor<fp32, [4]>([1.5e-3, -2, .25, 3.])", DataType::fp32, {4},
         {static_cast<float>(1.5e-3), -2, 0.25, 3}},
        {"infinities and nan", "tensor<fp32, [4]>", "tensor<fp32, [4]>([inf, -inf, nan, +inf])", DataType::fp32, {4}, {inf, -inf, nan, inf}},
        {"underflow is zero", "fp32", "fp32(1e-400)", DataType::fp32, {}, {0}},
        {"negative integers", "tensor<int32, [3]>", "tensor<int32, [3]>([-1, 0, -2147483648])", DataType::int32, {3}, {-1, 0, -2147483648.0}},
        {"int8 limits", "tensor<int8, [2]>", "tensor<int8, [2]>([-128, 127])", DataType::int8, {2}, {-128, 127}},
        {"int64 saturates in storage", "tensor<int64, [2]>", "tensor<int64, [2]>([9223372036854775807, -9223372036854775808])",
         DataType::int64, {2}, {2147483647.0, -2147483648.0}},
        {"uint64 scalar", "uint64", "uint64(64)", DataType::uint64, {}, {64}},
        {"hexadecimal integer", "int32", "int32(0x1F)", DataType::int32, {}, {31}},
        {"nested per rank", "tensor<int32, [2, 2]>", "tensor<int32, [2, 2]>([[0, 1], [2, 3]])", DataType::int32, {2, 2}, {0, 1, 2, 3}},
        {"flat for rank two", "tensor<int32, [2, 2]>", "tensor<int32, [2, 2]>([0, 1, 2, 3])", DataType::int32, {2, 2}, {0, 1, 2, 3}},
        {"nested rank three", "tensor<int32, [2, 1, 2]>", "tensor<int32, [2, 1, 2]>([[[1, 2]], [[3, 4]]])", DataType::int32, {2, 1, 2}, {1, 2, 3, 4}},
        {"unknown dim from a flat list", "tensor<int32, [?]>", "tensor<int32, [?]>([5, 6, 7])", DataType::int32, {3}, {5, 6, 7}},
        {"unknown dim from nesting", "tensor<int32, [?, ?]>", "tensor<int32, [?, ?]>([[1], [2]])", DataType::int32, {2, 1}, {1, 2}},
        {"empty tensor", "tensor<int32, [0]>", "tensor<int32, [0]>([])", DataType::int32, {0}, {}},
        {"empty rows", "tensor<fp32, [2, 0]>", "tensor<fp32, [2, 0]>([[], []])", DataType::fp32, {2, 0}, {}},
        {"scalar in brackets", "tensor<int32, []>", "tensor<int32, []>([7])", DataType::int32, {}, {7}},
        {"one element without brackets", "tensor<int32, [1, 1]>", "tensor<int32, [1, 1]>(9)", DataType::int32, {1, 1}, {9}},
        {"bools", "tensor<bool, [4]>", "tensor<bool, [4]>([true, false, true, true])", DataType::boolean, {4}, {1, 0, 1, 1}},
        {"short bool", "bool", "bool(false)", DataType::boolean, {}, {0}},
        {"verbose bool", "tensor<bool, []>", "tensor<bool, []>(true)", DataType::boolean, {}, {1}},
        {"integers in a float tensor", "tensor<fp16, [2]>", "tensor<fp16, [2]>([1, -3])", DataType::fp16, {2}, {1, -3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto value = parseConstant(c.type, c.value);
        ASSERT_TRUE(value.tensor.has_value());
        EXPECT_FALSE(value.blob.has_value());
        const auto& tensor = *value.tensor;
        EXPECT_EQ(tensor.dataType(), c.dataType);
        EXPECT_EQ(tensor.shape(), c.shape);
        ASSERT_EQ(tensor.count(), static_cast<std::int64_t>(c.expected.size()));
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const auto actual = tensor.numberAt(static_cast<std::int64_t>(i));
            if (std::isnan(c.expected[i])) {
                EXPECT_TRUE(std::isnan(actual)) << "element " << i;
            } else {
                EXPECT_EQ(actual, c.expected[i]) << "element " << i;
            }
        }
    }
}

TEST(ProgramParserValues, StringLiterals) {
    struct Case {
        std::string name;
        std::string type;
        std::string value;
        std::string expected;
        Shape shape;
    };
    const std::vector<Case> cases = {
        {"short", "string", R"(string("valid"))", "valid", {}},
        {"verbose", "tensor<string, []>", R"(tensor<string, []>("same"))", "same", {}},
        {"escapes", "string", R"(string("q\"b\\s\n\t\x41\u00e9"))", "q\"b\\s\n\tA\xC3\xA9", {}},
        {"comment marker inside", "string", R"(string("a // b"))", "a // b", {}},
        {"empty", "string", R"(string(""))", "", {}},
        {"one element", "tensor<string, [1]>", R"(tensor<string, [1]>(["only"]))", "only", {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto value = parseConstant(c.type, c.value);
        EXPECT_EQ(textOf(value), c.expected);
        EXPECT_EQ(value.tensor->shape(), c.shape);
    }
}

// -- Errors ------------------------------------------------------------------

struct ErrorCase {
    std::string name;
    std::string text;
    int line;
    int column;
    std::string message;
    bool unknownType = false;
};

void expectError(const ErrorCase& c) {
    SCOPED_TRACE(c.name);
    try {
        parseProgram(c.text);
        ADD_FAILURE() << "no error";
    } catch (const UnknownDataTypeError& error) {
        EXPECT_TRUE(c.unknownType) << error.what();
        EXPECT_EQ(error.location().line, c.line) << error.what();
        EXPECT_EQ(error.location().column, c.column) << error.what();
        EXPECT_NE(error.message().find(c.message), std::string::npos) << error.what();
    } catch (const ProgramSyntaxError& error) {
        EXPECT_FALSE(c.unknownType) << error.what();
        EXPECT_EQ(error.location().line, c.line) << error.what();
        EXPECT_EQ(error.location().column, c.column) << error.what();
        EXPECT_NE(error.message().find(c.message), std::string::npos) << error.what();
        EXPECT_EQ(std::string(error.what()),
                  "line " + std::to_string(c.line) + ", column " + std::to_string(c.column) + ": " + error.message());
    }
}

// A program whose only function has `body` as its statements, from line 2 on.
std::string inMain(const std::string& body) { return "program(1.3) { func main<ios18>(fp32 x) {\n" + body + "\n} -> (x); }"; }

TEST(ProgramParserErrors, StructureErrorsNameThePlaceAndWhatWasExpected) {
    const std::vector<ErrorCase> cases = {
        {"unclosed arguments", inMain("fp32 y = conv(x = x;"), 2, 20, "expected ')' after the arguments of conv, found ';'"},
        {"missing semicolon", inMain("fp32 y = relu(x = x)\nfp32 z = relu(x = y);"), 3, 1, "expected ';' after the operation relu, found 'fp32'"},
        {"missing equals", inMain("fp32 y relu(x = x);"), 2, 8, "expected '=' after the results of an operation, found 'relu'"},
        {"binding that is no name", inMain("fp32 y = relu(x = 3);"), 2, 19, "expected a name or a value for the argument 'x' of relu, found '3'"},
        {"repeated argument", inMain("fp32 y = add(x = x, x = x);"), 2, 21, "the argument 'x' of add is given twice"},
        {"repeated attribute", inMain("fp32 y = relu(x = x)[name = string(\"a\"), name = string(\"b\")];"), 2, 42, "the attribute 'name' of relu is given twice"},
        {"not a program", "func main<ios18>() {} -> ();", 1, 1, "expected 'program' at the start of the text, found 'func'"},
        {"no functions", "program(1.0) {}", 1, 15, "a program needs at least one function"},
        {"text after the end", "program(1.0) { func main<ios18>() { } -> (); } extra", 1, 48, "unexpected 'extra' after the end of the program"},
        {"function without outputs arrow", "program(1.0) { func main<ios18>() { } (); }", 1, 39, "expected '->' after the body of the function 'main', found '('"},
        {"unexpected character", inMain("fp32 y = relu(x = x) # oops;"), 2, 22, "unexpected character '#'"},
        {"control byte", inMain("fp32 y = relu(x = x)\x01;"), 2, 21, "unexpected character byte 0x01"},
        {"malformed number", inMain("fp32 y = const()[val = fp32(1.2.3)];"), 2, 29, "malformed number '1.2.3'"},
        {"tuple inside a tuple", inMain("fp32 y = concat(values = ((x)));"), 2, 27, "expected a name or a value for a member of the argument 'values' of concat, found '('"},
        {"state written as a value", inMain("fp32 y = const()[val = state<fp32>(1)];"), 2, 24, "a state cannot be written as a value"},
    };
    for (const auto& c : cases) {
        expectError(c);
    }
}

TEST(ProgramParserErrors, LiteralErrorsAreClear) {
    const std::vector<ErrorCase> cases = {
        {"too few elements", inMain("tensor<int32, [2, 2]> c = const()[val = tensor<int32, [2, 2]>([1, 2, 3])];"), 2, 63,
         "the literal has 3 elements, but tensor<int32, [2, 2]> holds 4"},
        {"ragged nesting", inMain("tensor<int32, [2, 2]> c = const()[val = tensor<int32, [2, 2]>([[1, 2], [3]])];"), 2, 72,
         "the array has 1 items where 2 are expected at depth 2"},
        {"nested deeper than the rank", inMain("tensor<int32, [2]> c = const()[val = tensor<int32, [2]>([[1], [2]])];"), 2, 58,
         "nested more deeply than the 1 dimensions"},
        {"single elements above the innermost dimension", inMain("tensor<int32, [2, 2, 1]> c = const()[val = tensor<int32, [2, 2, 1]>([[1, 2], [3, 4]])];"), 2, 70,
         "the array holds single elements at depth 2, but tensor<int32, [2, 2, 1]> has 3 dimensions"},
        {"mixed nesting", inMain("tensor<int32, [2, 2]> c = const()[val = tensor<int32, [2, 2]>([[1, 2], 3, 4])];"), 2, 72,
         "mixes nested arrays and single elements"},
        {"flat list for two unknown dims", inMain("tensor<int32, [?, ?]> c = const()[val = tensor<int32, [?, ?]>([1, 2])];"), 2, 63,
         "a flat list of 2 elements cannot fill tensor<int32, [?, ?]>"},
        {"integer above its type", inMain("int8 c = const()[val = int8(128)];"), 2, 29, "'128' does not fit in int8"},
        {"integer below its type", inMain("int8 c = const()[val = int8(-129)];"), 2, 29, "'-129' does not fit in int8"},
        {"negative unsigned", inMain("uint8 c = const()[val = uint8(-1)];"), 2, 31, "'-1' does not fit in uint8"},
        {"integer beyond 64 bits", inMain("int64 c = const()[val = int64(18446744073709551616)];"), 2, 31, "does not fit in 64 bits"},
        {"fraction for an integer", inMain("int32 c = const()[val = int32(1.5)];"), 2, 31, "expected an integer for an element of tensor<int32, []>, found '1.5'"},
        {"fp32 overflow", inMain("fp32 c = const()[val = fp32(1e39)];"), 2, 29, "'1e39' does not fit in fp32"},
        {"beyond a double", inMain("fp32 c = const()[val = fp32(-1e400)];"), 2, 29, "'-1e400' does not fit in fp32"},
        {"fp16 overflow", inMain("fp16 c = const()[val = fp16(65520)];"), 2, 29, "element 0 (65520.000000) does not fit in fp16"},
        {"word for a bool", inMain("bool c = const()[val = bool(yes)];"), 2, 29, "expected true or false for an element of tensor<bool, []>, found 'yes'"},
        {"number for a string", inMain("string c = const()[val = string(1)];"), 2, 33, "expected a string for an element of tensor<string, []>, found '1'"},
        {"unterminated string", inMain("string c = const()[val = string(\"abc)];"), 2, 33, "the string that starts here does not end"},
        {"unknown escape", inMain("string c = const()[val = string(\"a\\qb\")];"), 2, 35, "followed by 'q', which is no known escape"},
        {"short hex escape", inMain("string c = const()[val = string(\"\\x4\")];"), 2, 34, "the escape \\x needs 2 hexadecimal digits"},
        {"blob without offset", inMain("tensor<fp16, [4]> w = const()[val = tensor<fp16, [4]>(BLOBFILE(path = string(\"w.bin\")))];"), 2, 55,
         "BLOBFILE needs both a path and an offset"},
        {"negative blob offset", inMain("tensor<fp16, [4]> w = const()[val = tensor<fp16, [4]>(BLOBFILE(path = string(\"w.bin\"), offset = int64(-64)))];"), 2, 103,
         "expected a non-negative integer for the offset of BLOBFILE, found '-64'"},
        {"blob path of another type", inMain("tensor<fp16, [4]> w = const()[val = tensor<fp16, [4]>(BLOBFILE(path = int32(1), offset = uint64(64)))];"), 2, 71,
         "the path of BLOBFILE must be a string, not tensor<int32, []>"},
        {"negative dimension", inMain("tensor<fp32, [-1]> y = relu(x = x);"), 2, 15, "expected a non-negative integer for a dimension, found '-1'"},
        {"value without parenthesis", inMain("fp32 y = const()[val = fp32 1];"), 2, 29, "expected '(' after the type tensor<fp32, []> of a value, found '1'"},
    };
    for (const auto& c : cases) {
        expectError(c);
    }
}

TEST(ProgramParserErrors, ElementTypesTheRuntimeCannotHoldAreTheirOwnError) {
    const std::vector<ErrorCase> cases = {
        {"fp8 tensor parameter", "program(1.0) { func main<ios17>(tensor<fp8, [1]> x) { } -> (x); }", 1, 40, "unknown element type 'fp8'", true},
        {"int2 short scalar", inMain("int2 c = const()[val = int2(1)];"), 2, 1, "unknown element type 'int2'", true},
        {"unknown type in a value", inMain("fp32 y = mul(x = x, y = fp8(1));"), 2, 25, "unknown element type 'fp8'", true},
        {"several strings", inMain("tensor<string, [2]> c = const()[val = tensor<string, [2]>([\"a\", \"b\"])];"), 2, 59,
         "a string tensor of more than one element", true},
        {"a word that is no type", inMain("banana y = relu(x = x);"), 2, 1, "expected a type for a result, found 'banana'"},
    };
    for (const auto& c : cases) {
        expectError(c);
    }
}

TEST(ProgramParserErrors, TruncatedFilesReportTheEnd) {
    const std::vector<ErrorCase> cases = {
        {"after the header", "program(1.0)\n", 2, 1, "expected '{' to open the body of the program, found the end of the file"},
        {"inside a body", "program(1.0) {\n  func main<ios17>() {\n    fp32 y = relu(x = x);\n", 4, 1, "the file ends inside the body of the function 'main'"},
        {"inside an operation", "program(1.0) { func main<ios17>() { fp32 y = relu(x", 1, 52, "expected '=' after the argument 'x' of relu, found the end of the file"},
        {"inside the build information", "program(1.0) [buildInfo = dict<string, string>({{\"a\", \"b\"", 1, 58, "the file ends inside the attributes of the program"},
    };
    for (const auto& c : cases) {
        expectError(c);
    }
}

// -- Robustness --------------------------------------------------------------

// Parsing must end in a program or a ProgramSyntaxError, whatever the text.
void expectParsesOrFailsCleanly(const std::string& text) {
    try {
        parseProgram(text);
    } catch (const ProgramSyntaxError&) {
    }
}

TEST(ProgramParserRobustness, EveryTruncationFailsCleanly) {
    for (const auto* source : {&verboseProgram, &shortProgram}) {
        for (std::size_t length = 0; length < source->size(); ++length) {
            SCOPED_TRACE("length " + std::to_string(length));
            // Only the trailing newline may go without changing the meaning.
            if (length + 1 >= source->size()) {
                continue;
            }
            EXPECT_THROW(parseProgram(std::string_view(*source).substr(0, length)), ProgramSyntaxError);
        }
    }
}

TEST(ProgramParserRobustness, RandomMutationsFailCleanly) {
    std::mt19937 random(20240611);
    const std::string alphabet = "()[]{}<>,;=?-+.\"\\/0123456789xpe_abz@ \n\x01\xff";
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 2 == 0 ? verboseProgram : shortProgram;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int edit = 0; edit < edits; ++edit) {
            const auto position = random() % text.size();
            const char replacement = alphabet[random() % alphabet.size()];
            switch (random() % 3) {
            case 0: text[position] = replacement; break;
            case 1: text.insert(position, 1, replacement); break;
            default: text.erase(position, 1 + random() % 8); break;
            }
        }
        expectParsesOrFailsCleanly(text);
    }
}

TEST(ProgramParserRobustness, DeepNestingIsRefusedNotOverflowed) {
    const std::string deepArray = inMain("tensor<int32, [1]> c = const()[val = tensor<int32, [1]>(" + std::string(100000, '[') + ")];");
    std::string deepType = "program(1.0) { func main<ios17>(";
    for (int i = 0; i < 50000; ++i) {
        deepType += "tuple<";
    }
    std::string deepValue = "fp32 y = const()[val = ";
    for (int i = 0; i < 50000; ++i) {
        deepValue += "tuple<tuple<>>((";
    }
    std::string deepBlocks;
    for (int i = 0; i < 50000; ++i) {
        deepBlocks += "fp32 r = cond(pred = x) {";
    }
    for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
             {"array", deepArray}, {"type", deepType}, {"value", inMain(deepValue)}, {"blocks", inMain(deepBlocks)}}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(parseProgram(text), ProgramSyntaxError);
    }
}

TEST(ProgramParserRobustness, LargeProgramParsesInOnePass) {
    // 20 000 operations; a parser that rescans or copies per operation would
    // take minutes here.
    std::string text = "program(1.3)\n{\n    func main<ios18>(tensor<fp16, [1, 384, 3000]> v0) {\n";
    constexpr int count = 20000;
    for (int i = 1; i <= count; ++i) {
        const auto index = std::to_string(i);
        text += "        tensor<fp16, [1, 384, 3000]> v" + index + " = add(x = v" + std::to_string(i - 1) +
                ", y = fp16(0x1p-" + std::to_string(i % 20) + "))[name = string(\"op_" + index + "\")];\n";
    }
    text += "    } -> (v" + std::to_string(count) + ");\n}\n";
    const auto program = parseProgram(text);
    const auto& operations = program.functions.at(0).body.operations;
    ASSERT_EQ(operations.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(operations.back().location.line, count + 3);
    EXPECT_EQ(operations.back().inputs.at(1).second.bindings.at(0).value->tensor->floatValues()[0], 1.0f);
}

} // namespace
