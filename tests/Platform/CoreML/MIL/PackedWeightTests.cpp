// Weights kept in their stored narrow form: which constants a prepared function
// keeps packed, that the stored forms of folded decompressions are let go of,
// and that products over packed weights give what the widened weights give.

#include "Platform/CoreML/MIL/PackedMatrix.hpp"
#include "Platform/CoreML/MIL/PreparedFunction.hpp"
#include "Platform/CoreML/MIL/ProgramParser.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "tests/Platform/CoreML/MIL/ProgramTestSupport.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace {

using namespace platform::coreml;
using namespace platform::coreml::mil;
using namespace miltest;
using testsupport::ModelBundleWriter;
using testsupport::operationLine;
using testsupport::tensorTypeText;

// ---------------------------------------------------------------------------
// Widening the stored forms.

struct WidenCase {
    const char* name;
    PackedMatrix::Encoding encoding;
    std::vector<std::int32_t> values; // 2 rows of 4
    std::vector<float> scales;        // per (row, block)
    std::vector<float> offsets;
    std::int64_t blocksPerRow;
    std::vector<float> expected;
};

TEST(PackedMatrix, WidensIntegersWithTheirRowAndBlockScales) {
    const std::vector<WidenCase> cases{
        {"int8 per row", PackedMatrix::Encoding::int8, {-128, -1, 0, 127, 5, 6, 7, 8}, {0.5f, 2.0f}, {0, 1},
         1, {-64, -0.5f, 0, 63.5f, 8, 10, 12, 14}},
        {"uint8 with zero point", PackedMatrix::Encoding::uint8, {0, 128, 255, 1, 10, 20, 30, 40}, {1, 0.1f}, {128, 10},
         1, {-128, 0, 127, -127, 0, 1, 2, 3}},
        {"two blocks a row", PackedMatrix::Encoding::int8, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 10, 100, 1000}, {0, 0, 0, 1},
         2, {1, 2, 30, 40, 500, 600, 6000, 7000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto matrix = PackedMatrix::integers(c.encoding, {2, 4}, c.values, c.scales, c.offsets, c.blocksPerRow);
        ASSERT_TRUE(matrix.has_value());
        std::vector<float> all(8);
        matrix->widenRows(0, 2, all.data());
        EXPECT_EQ(all, c.expected);
        std::vector<float> second(4);
        matrix->widenRows(1, 1, second.data());
        EXPECT_EQ(second, std::vector<float>(c.expected.begin() + 4, c.expected.end()));
    }
}

TEST(PackedMatrix, RefusesValuesOutsideTheEncodingAndBlocksThatDoNotDivideARow) {
    const std::vector<float> scales(2, 1.0f);
    const std::vector<float> offsets(2, 0.0f);
    EXPECT_FALSE(PackedMatrix::integers(PackedMatrix::Encoding::int8, {2, 2}, std::vector<std::int32_t>{0, 128, 0, 0}, scales, offsets, 1));
    EXPECT_FALSE(PackedMatrix::integers(PackedMatrix::Encoding::uint8, {2, 2}, std::vector<std::int32_t>{0, -1, 0, 0}, scales, offsets, 1));
    EXPECT_FALSE(PackedMatrix::integers(PackedMatrix::Encoding::int8, {2, 3}, std::vector<std::int32_t>(6, 0),
                                        std::vector<float>(4, 1.0f), std::vector<float>(4, 0.0f), 2));
}

TEST(PackedMatrix, HalvesKeepHalfTheBytesAndWidenExactly) {
    const auto values = roundedToHalf(randomValues(3 * 50, 7));
    const auto matrix = PackedMatrix::halves({3, 5, 10}, values);
    EXPECT_EQ(matrix.rows(), 3);
    EXPECT_EQ(matrix.columns(), 50);
    EXPECT_EQ(matrix.storedBytes(), values.size() * 2);
    const auto widened = matrix.widened(DataType::fp16, {3, 5, 10});
    EXPECT_EQ(std::vector<float>(widened.floatValues().begin(), widened.floatValues().end()), values);
}

TEST(PackedMatrix, PanelsHoldEveryValueOnceAndWidenExactly) {
    struct Case {
        const char* name;
        Shape shape;
        std::int64_t width;
    };
    for (const auto& c : {Case{"rows that leave a part panel", {70, 3}, 64}, Case{"one short panel", {5, 40}, 64},
                          Case{"long rows in narrow panels", {33, 2100}, 32}}) {
        SCOPED_TRACE(c.name);
        const auto values = randomValues(static_cast<std::size_t>(elementCount(c.shape)), 8);
        const auto matrix = PackedMatrix::panels(c.shape, values);
        EXPECT_EQ(matrix.panelWidth(), c.width);
        EXPECT_EQ(matrix.panelCount(), (c.shape[0] + c.width - 1) / c.width);
        const auto columns = c.shape[1];
        const auto last = c.shape[0] - 1;
        EXPECT_EQ(matrix.panel(last / c.width)[(columns - 1) * c.width + last % c.width], values.back());
        const auto widened = matrix.widened(DataType::fp32, c.shape);
        EXPECT_EQ(std::vector<float>(widened.floatValues().begin(), widened.floatValues().end()), values);
        std::vector<float> middle(static_cast<std::size_t>(2 * columns));
        matrix.widenRows(1, 2, middle.data());
        EXPECT_TRUE(std::equal(middle.begin(), middle.end(), values.begin() + columns));
    }
}

// ---------------------------------------------------------------------------
// What a prepared function keeps packed.

std::string literal(DataType type, const Shape& shape, const std::vector<float>& values) {
    std::string text = tensorTypeText(type, shape) + "([";
    const bool integers = type == DataType::int8;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += (i == 0 ? "" : ", ") + (integers ? std::to_string(static_cast<int>(values[i])) : std::to_string(values[i]));
    }
    return text + "])";
}

std::string constant(const std::string& name, DataType type, const Shape& shape, const std::vector<float>& values) {
    return "        " + tensorTypeText(type, shape) + " " + name + " = const()[name = string(\"" + name +
           "\"), val = " + literal(type, shape, values) + "];\n";
}

PreparedFunction prepare(const std::string& text) {
    const auto program = parseProgram(text);
    return PreparedFunction(program.functions.at(0), OpRegistry::standard(),
                            [](const ConstantValue& value) { return value.tensor.value(); });
}

// The constant bound to argument `argument` of the step whose result is `result`.
const Tensor* argumentOf(const PreparedFunction& function, const std::string& debugName, const std::string& argument) {
    for (const auto& step : function.steps()) {
        if (step.debugName != debugName) {
            continue;
        }
        for (const auto& bound : step.arguments) {
            if (bound.name == argument) {
                return function.constant(bound.slots.front());
            }
        }
    }
    return nullptr;
}

bool holdsConstantOfType(const PreparedFunction& function, DataType type) {
    for (std::size_t slot = 0; slot < function.slotCount(); ++slot) {
        const auto* value = function.constant(static_cast<SlotIndex>(slot));
        if (value != nullptr && value->dataType() == type) {
            return true;
        }
    }
    return false;
}

TEST(PackedWeights, HalfWeightsAreKeptPackedOnlyWhereEveryReaderTakesThem) {
    const auto big = roundedToHalf(randomValues(32 * 40, 3));
    const auto small = roundedToHalf(randomValues(4 * 40, 4));
    std::string body = constant("w_products", DataType::fp16, {32, 40}, big) +
                       constant("w_shared", DataType::fp16, {32, 40}, big) +
                       constant("w_small", DataType::fp16, {4, 40}, small);
    body += operationLine("tensor<fp32, [2, 32]> a", "linear(weight = w_products, x = x)");
    body += operationLine("tensor<fp32, [2, 32]> b", "linear(weight = w_shared, x = x)");
    body += operationLine("tensor<fp16, [32, 40]> doubled", "add(x = w_shared, y = w_shared)");
    body += operationLine("tensor<fp32, [2, 4]> c", "linear(weight = w_small, x = x)");
    const auto function = prepare(testsupport::mainProgram("tensor<fp32, [2, 40]> x", body, "a, b, doubled, c"));

    const auto* packed = argumentOf(function, "a", "weight");
    ASSERT_NE(packed, nullptr);
    ASSERT_NE(packed->packedMatrix(), nullptr);
    EXPECT_EQ(packed->packedMatrix()->encoding(), PackedMatrix::Encoding::half);
    EXPECT_EQ(packed->shape(), (Shape{32, 40}));
    EXPECT_EQ(argumentOf(function, "b", "weight")->packedMatrix(), nullptr) << "an element-wise reader needs the elements";
    EXPECT_EQ(argumentOf(function, "c", "weight")->packedMatrix(), nullptr) << "too small to be worth packing";
}

TEST(PackedWeights, FoldedIntegerWeightsKeepOneBytePerValueAndDropTheirStoredForm) {
    std::vector<float> quantized(32 * 40);
    for (std::size_t i = 0; i < quantized.size(); ++i) {
        quantized[i] = static_cast<float>(static_cast<int>(i * 37 % 256) - 128);
    }
    const auto scales = randomValues(32, 5, 0.1f);
    std::string body = constant("q", DataType::int8, {32, 40}, quantized) + constant("q2", DataType::int8, {32, 40}, quantized) +
                       constant("rows", DataType::fp32, {32}, scales) +
                       constant("columns", DataType::fp32, {40}, randomValues(40, 6, 0.1f));
    body += operationLine("tensor<fp32, [32, 40]> w_rows",
                          "constexpr_affine_dequantize(axis = int32(0), quantized_data = q, scale = rows, zero_point = int8(3))");
    body += operationLine("tensor<fp32, [32, 40]> w_columns",
                          "constexpr_affine_dequantize(axis = int32(1), quantized_data = q2, scale = columns, zero_point = int8(0))");
    body += operationLine("tensor<fp32, [2, 32]> a", "linear(weight = w_rows, x = x)");
    body += operationLine("tensor<fp32, [2, 32]> b", "linear(weight = w_columns, x = x)");
    const auto function = prepare(testsupport::mainProgram("tensor<fp32, [2, 40]> x", body, "a, b"));

    const auto* perRow = argumentOf(function, "a", "weight")->packedMatrix();
    ASSERT_NE(perRow, nullptr);
    EXPECT_EQ(perRow->encoding(), PackedMatrix::Encoding::int8);
    EXPECT_EQ(perRow->storedBytes(), 32u * 40u + 2u * 32u * sizeof(float));
    const auto* perColumn = argumentOf(function, "b", "weight")->packedMatrix();
    ASSERT_NE(perColumn, nullptr);
    EXPECT_EQ(perColumn->encoding(), PackedMatrix::Encoding::panels) << "per-column scales are widened at load";
    EXPECT_FALSE(holdsConstantOfType(function, DataType::int8)) << "the stored integers outlive their decompression";
}

TEST(PackedWeights, FloatWeightsGoToPanelsOnlyWhereEveryReaderMultipliesByThemAsAMatrix) {
    const auto values = randomValues(64 * 40, 7);
    std::string body = constant("w_pointwise", DataType::fp32, {64, 40, 1}, values) +
                       constant("w_wide", DataType::fp32, {64, 40, 3}, randomValues(64 * 40 * 3, 8)) +
                       constant("w_input", DataType::fp32, {64, 40}, values) +
                       constant("w_recurrent", DataType::fp32, {64, 16}, randomValues(64 * 16, 9)) +
                       constant("h0", DataType::fp32, {1, 16}, randomValues(16, 10)) +
                       constant("c0", DataType::fp32, {1, 16}, randomValues(16, 11));
    const std::string convolution = "dilations = tensor<int32, [1]>([1]), groups = int32(1), pad = tensor<int32, [2]>([0, 0]), "
                                    "pad_type = string(\"same\"), strides = tensor<int32, [1]>([1]), x = x";
    body += operationLine("tensor<fp32, [1, 64, 5]> a", "conv(" + convolution + ", weight = w_pointwise)");
    body += operationLine("tensor<fp32, [1, 64, 5]> b", "conv(" + convolution + ", weight = w_wide)");
    body += operationLine("tensor<fp32, [5, 40]> rows", "reshape(shape = tensor<int32, [2]>([5, 40]), x = x)");
    body += operationLine("tensor<fp32, [5, 1, 40]> steps", "reshape(shape = tensor<int32, [3]>([5, 1, 40]), x = x)");
    body += operationLine("tensor<fp32, [5, 1, 16]> c, tensor<fp32, [1, 16]> h_last, tensor<fp32, [1, 16]> c_last",
                          "lstm(direction = string(\"forward\"), initial_c = c0, initial_h = h0, output_sequence = bool(true), "
                          "weight_hh = w_recurrent, weight_ih = w_input, x = steps)");
    const auto function = prepare(testsupport::mainProgram("tensor<fp32, [1, 40, 5]> x", body, "a, b, c"));

    const auto encodingOf = [&](const std::string& step, const std::string& argument) -> std::string {
        const auto* value = argumentOf(function, step, argument);
        if (value == nullptr) {
            return "absent";
        }
        return value->packedMatrix() == nullptr ? "plain"
               : value->packedMatrix()->encoding() == PackedMatrix::Encoding::panels ? "panels"
                                                                                     : "other";
    };
    EXPECT_EQ(encodingOf("a", "weight"), "panels") << "a one-wide kernel is a matrix";
    EXPECT_EQ(encodingOf("b", "weight"), "plain") << "a wider kernel is read by patches";
    EXPECT_EQ(encodingOf("c_last", "weight_ih"), "panels");
    EXPECT_EQ(encodingOf("c_last", "weight_hh"), "panels");
}

// ---------------------------------------------------------------------------
// Products over packed weights against the same weights widened.

constexpr std::int64_t rows = 64, in = 256, out = 96;

struct ProductCase {
    const char* name;
    // Statements defining `w` (a [out, in, ...] weight) from the bundle's blobs.
    std::function<std::string(ModelBundleWriter&)> weight;
    // The product over `w` giving `y`.
    std::string product;
    std::string inputType;
    std::string outputType;
    // The constants the comparison run also reads whole.
    std::vector<std::string> weights = {"w"};
};

std::vector<std::int32_t> byteValues(std::size_t count, std::int32_t low, std::int32_t high, std::uint32_t seed) {
    std::vector<std::int32_t> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = low + static_cast<std::int32_t>((i * 2654435761u + seed) % static_cast<std::uint32_t>(high - low + 1));
    }
    return values;
}

std::vector<float> positive(std::size_t count, std::uint32_t seed) {
    auto values = randomValues(count, seed, 0.01f);
    for (auto& value : values) {
        value = std::fabs(value) + 0.001f;
    }
    return values;
}

// Runs the case's program once as written and once with `w` also read whole
// (so it is widened at load); both must agree.
void expectPackedMatchesWidened(const ProductCase& c) {
    SCOPED_TRACE(c.name);
    testsupport::TemporaryDirectory folder;
    std::vector<std::vector<float>> results;
    for (const bool widened : {false, true}) {
        ModelBundleWriter bundle;
        auto body = c.weight(bundle) + operationLine(c.outputType + " y", c.product);
        std::string outputs = "y";
        if (widened) {
            for (const auto& weight : c.weights) {
                body += operationLine("tensor<fp32, []> " + weight + "_sum", "reduce_sum(keep_dims = bool(false), x = " + weight + ")");
                outputs += ", " + weight + "_sum";
            }
        }
        const auto path = folder / (widened ? "widened.mlmodelc" : "packed.mlmodelc");
        bundle.write(path, testsupport::mainProgram(c.inputType + " x", body, outputs));
        const auto model = MLModel::load(path);
        const auto shape = model.modelDescription().inputDescriptionsByName.at("x").multiArrayConstraint->shape;
        std::int64_t count = 1;
        for (const auto size : shape) {
            count *= size;
        }
        const auto x = randomValues(static_cast<std::size_t>(count), 11, 1.0f);
        const auto output = model.prediction(MLDictionaryFeatureProvider({{"x", MLFeatureValue(floatArray(shape, x))}}));
        results.push_back(valuesOf(*output.featureValue("y")->multiArrayValue()));
    }
    expectNear(results[0], results[1], 1e-4f);
}

std::string typed(DataType type, const Shape& shape) { return tensorTypeText(type, shape); }

TEST(PackedWeights, ProductsOverPackedWeightsMatchTheWidenedWeights) {
    const auto outIn = static_cast<std::size_t>(out * in);
    const std::string linearProduct = "linear(weight = w, x = x)";
    const std::string matrixIn = typed(DataType::fp32, {rows, in});
    const std::string matrixOut = typed(DataType::fp32, {rows, out});
    const auto convOptions = [](std::int64_t groups, const std::string& pad) {
        return "conv(dilations = " + intsValue({1}) + ", groups = int32(" + std::to_string(groups) + "), pad = " + intsValue({0, 0}) +
               ", pad_type = string(\"" + pad + "\"), strides = " + intsValue({1}) + ", weight = w, x = x)";
    };
    const auto floatWeight = [&](std::int64_t inputs) {
        return [inputs](ModelBundleWriter& b) {
            return b.blobConstant("w", DataType::fp32, {out, inputs},
                                  randomValues(static_cast<std::size_t>(out * inputs), 28));
        };
    };
    const std::vector<ProductCase> cases{
        {"float linear in column panels", floatWeight(in), linearProduct, matrixIn, matrixOut},
        {"float linear of one row", floatWeight(in), linearProduct, typed(DataType::fp32, {1, in}),
         typed(DataType::fp32, {1, out})},
        {"float linear of 130 rows with a bias",
         [&](ModelBundleWriter& b) {
             return floatWeight(in)(b) + b.blobConstant("bias_w", DataType::fp32, {out}, randomValues(out, 29));
         },
         "linear(bias = bias_w, weight = w, x = x)", typed(DataType::fp32, {130, in}), typed(DataType::fp32, {130, out})},
        {"float linear over rows of 2100 inputs", floatWeight(2100), linearProduct, typed(DataType::fp32, {3, 2100}),
         typed(DataType::fp32, {3, out})},
        {"half linear",
         [&](ModelBundleWriter& b) { return b.blobConstant("w", DataType::fp16, {out, in}, roundedToHalf(randomValues(outIn, 21))); },
         linearProduct, matrixIn, matrixOut},
        {"int8 per row with zero points",
         [&](ModelBundleWriter& b) {
             return operationLine(typed(DataType::fp32, {out, in}) + " w",
                                  "constexpr_affine_dequantize(axis = int32(0), quantized_data = " +
                                      b.blob(DataType::int8, {out, in}, byteValues(outIn, -128, 127, 1)) + ", scale = " +
                                      b.blob(DataType::fp32, {out}, positive(out, 22)) + ", zero_point = " +
                                      b.blob(DataType::int8, {out}, byteValues(out, -5, 5, 2)) + ")");
         },
         linearProduct, matrixIn, matrixOut},
        {"uint8 with one scale",
         [&](ModelBundleWriter& b) {
             return operationLine(typed(DataType::fp32, {out, in}) + " w",
                                  "constexpr_affine_dequantize(axis = int32(0), quantized_data = " +
                                      b.blob(DataType::uint8, {out, in}, byteValues(outIn, 0, 255, 3)) +
                                      ", scale = fp32(0.003), zero_point = uint8(128))");
         },
         linearProduct, matrixIn, matrixOut},
        {"int4 in blocks of 64 with offsets",
         [&](ModelBundleWriter& b) {
             return operationLine(typed(DataType::fp16, {out, in}) + " w",
                                  "constexpr_blockwise_shift_scale(data = " +
                                      b.blob(DataType::int4, {out, in}, byteValues(outIn, -8, 7, 4)) + ", offset = " +
                                      b.blob(DataType::fp16, {out, 4}, roundedToHalf(randomValues(out * 4, 23))) + ", scale = " +
                                      b.blob(DataType::fp16, {out, 4}, roundedToHalf(positive(out * 4, 24))) + ")");
         },
         linearProduct, matrixIn, matrixOut},
        {"half pointwise convolution in two groups",
         [&](ModelBundleWriter& b) {
             return b.blobConstant("w", DataType::fp16, {out, in / 2, 1}, roundedToHalf(randomValues(outIn / 2, 25)));
         },
         convOptions(2, "valid"), typed(DataType::fp32, {1, in, rows}), typed(DataType::fp32, {1, out, rows})},
        {"int8 convolution of width 3",
         [&](ModelBundleWriter& b) {
             return operationLine(typed(DataType::fp32, {out, in, 3}) + " w",
                                  "constexpr_affine_dequantize(axis = int32(0), quantized_data = " +
                                      b.blob(DataType::int8, {out, in, 3}, byteValues(outIn * 3, -128, 127, 5)) +
                                      ", scale = " + b.blob(DataType::fp32, {out}, positive(out, 26)) +
                                      ", zero_point = int8(0))");
         },
         convOptions(1, "same"), typed(DataType::fp32, {1, in, rows}), typed(DataType::fp32, {1, out, rows})},
        {"float pointwise convolution with a bias, two items",
         [&](ModelBundleWriter& b) {
             return b.blobConstant("w", DataType::fp32, {out, in, 1}, randomValues(outIn, 30)) +
                    b.blobConstant("bias_w", DataType::fp32, {out}, randomValues(out, 31));
         },
         "conv(bias = bias_w, dilations = " + intsValue({1}) + ", groups = int32(1), pad = " + intsValue({0, 0}) +
             ", pad_type = string(\"valid\"), strides = " + intsValue({1}) + ", weight = w, x = x)",
         typed(DataType::fp32, {2, in, rows}), typed(DataType::fp32, {2, out, rows})},
        {"float pointwise convolution in groups that split a panel",
         [&](ModelBundleWriter& b) { return b.blobConstant("w", DataType::fp32, {out, in / 2, 1}, randomValues(outIn / 2, 32)); },
         convOptions(2, "valid"), typed(DataType::fp32, {1, in, rows}), typed(DataType::fp32, {1, out, rows})},
        {"float pointwise convolution over 700 positions",
         [&](ModelBundleWriter& b) { return b.blobConstant("w", DataType::fp32, {out, in, 1, 1}, randomValues(outIn, 33)); },
         "conv(dilations = " + intsValue({1, 1}) + ", groups = int32(1), pad = " + intsValue({0, 0, 0, 0}) +
             ", pad_type = string(\"valid\"), strides = " + intsValue({1, 1}) + ", weight = w, x = x)",
         typed(DataType::fp32, {1, in, 20, 35}), typed(DataType::fp32, {1, out, 20, 35})},
        {"float lstm over 5 steps of 3 rows",
         [&](ModelBundleWriter& b) {
             constexpr std::int64_t hidden = 32;
             return b.blobConstant("w", DataType::fp32, {4 * hidden, in}, randomValues(4 * hidden * in, 34, 0.1f)) +
                    b.blobConstant("r", DataType::fp32, {4 * hidden, hidden}, randomValues(4 * hidden * hidden, 35, 0.3f)) +
                    b.blobConstant("bias_w", DataType::fp32, {4 * hidden}, randomValues(4 * hidden, 36)) +
                    b.blobConstant("h0", DataType::fp32, {3, hidden}, randomValues(3 * hidden, 37)) +
                    b.blobConstant("c0", DataType::fp32, {3, hidden}, randomValues(3 * hidden, 38));
         },
         "lstm(activation = string(\"tanh\"), bias = bias_w, cell_activation = string(\"tanh\"), direction = "
         "string(\"forward\"), initial_c = c0, initial_h = h0, output_sequence = bool(true), recurrent_activation = "
         "string(\"sigmoid\"), weight_hh = r, weight_ih = w, x = x)",
         typed(DataType::fp32, {5, 3, in}),
         typed(DataType::fp32, {5, 3, 32}) + " sequence, " + typed(DataType::fp32, {3, 32}) + " last_h, " +
             typed(DataType::fp32, {3, 32}),
         {"w", "r"}},
        {"half depthwise convolution",
         [&](ModelBundleWriter& b) {
             return b.blobConstant("w", DataType::fp16, {in, 1, 9}, roundedToHalf(randomValues(in * 9, 27)));
         },
         convOptions(in, "same"), typed(DataType::fp32, {1, in, rows}), typed(DataType::fp32, {1, in, rows})},
    };
    for (const auto& c : cases) {
        expectPackedMatchesWidened(c);
    }
}

} // namespace
