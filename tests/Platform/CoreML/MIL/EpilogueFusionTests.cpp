// Activations and residual additions folded into the linear step before them:
// which steps fold, and that the folded program computes what the unfolded
// one does.

#include "Platform/CoreML/MIL/PreparedFunction.hpp"
#include "Platform/CoreML/MIL/ProgramParser.hpp"
#include "Platform/CoreML/MIL/ProgramRunner.hpp"
#include "tests/Platform/CoreML/MIL/ProgramTestSupport.hpp"
#include "tests/Support/ModelBundleWriter.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using namespace platform::coreml::mil;
using namespace miltest;
using testsupport::operationLine;

constexpr std::int64_t rows = 40, in = 48, out = 64;

std::string floatLiteral(const std::string& type, const std::vector<float>& values) {
    std::string text = type + "([";
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(values[i]);
    }
    return text + "])";
}

// x [rows, in] and r [rows, out] in; w [out, in] and b [out] as constants; `body` follows.
std::string program(const std::string& body, const std::string& outputs) {
    const auto weights = "        tensor<fp32, [64, 48]> w = const()[name = string(\"w\"), val = " +
                         floatLiteral("tensor<fp32, [64, 48]>", randomValues(out * in, 31, 0.3f)) + "];\n" +
                         "        tensor<fp32, [64]> b = const()[name = string(\"b\"), val = " +
                         floatLiteral("tensor<fp32, [64]>", randomValues(out, 32, 0.3f)) + "];\n";
    return testsupport::mainProgram("tensor<fp32, [40, 48]> x, tensor<fp32, [40, 64]> r", weights + body, outputs);
}

PreparedFunction prepare(const std::string& text) {
    return PreparedFunction(parseProgram(text).functions.at(0), OpRegistry::standard(),
                            [](const ConstantValue& value) { return value.tensor.value(); });
}

std::vector<std::string> opTypes(const PreparedFunction& function) {
    std::vector<std::string> types;
    for (const auto& step : function.steps()) {
        types.push_back(step.opType);
    }
    return types;
}

std::vector<Tensor> run(const PreparedFunction& function) {
    const std::map<std::string, Tensor> inputs{
        {"x", Tensor::floats(DataType::fp32, {rows, in}, randomValues(rows * in, 33, 2.0f))},
        {"r", Tensor::floats(DataType::fp32, {rows, out}, randomValues(rows * out, 34, 1.0f))}};
    std::vector<Tensor> states;
    return ProgramRunner(function).run(inputs, states);
}

std::vector<float> floatsOf(const Tensor& tensor) { return {tensor.floatValues().begin(), tensor.floatValues().end()}; }

const std::string linearLine = operationLine("tensor<fp32, [40, 64]> y", "linear(bias = b, weight = w, x = x)");

struct FoldCase {
    const char* name;
    std::string body;   // after the linear step `y` (with it, for the cases that do not fold)
    std::string result; // the value compared
    std::vector<std::string> foldedSteps;
};

TEST(EpilogueFusion, FoldsTheSoleReaderAndComputesWhatTheUnfoldedStepsDo) {
    const std::vector<FoldCase> cases{
        {"silu", operationLine("tensor<fp32, [40, 64]> z", "silu(x = y)"), "z", {"linear"}},
        {"relu", operationLine("tensor<fp32, [40, 64]> z", "relu(x = y)"), "z", {"linear"}},
        {"tanh", operationLine("tensor<fp32, [40, 64]> z", "tanh(x = y)"), "z", {"linear"}},
        {"sigmoid", operationLine("tensor<fp32, [40, 64]> z", "sigmoid(x = y)"), "z", {"linear"}},
        {"exact gelu", operationLine("tensor<fp32, [40, 64]> z", "gelu(mode = string(\"EXACT\"), x = y)"), "z", {"linear"}},
        {"tanh gelu", operationLine("tensor<fp32, [40, 64]> z", "gelu(mode = string(\"TANH_APPROXIMATION\"), x = y)"), "z", {"linear"}},
        {"residual second", operationLine("tensor<fp32, [40, 64]> z", "add(x = r, y = y)"), "z", {"linear"}},
        {"residual first", operationLine("tensor<fp32, [40, 64]> z", "add(x = y, y = r)"), "z", {"linear"}},
        {"activation then its own reader", operationLine("tensor<fp32, [40, 64]> a", "silu(x = y)") +
                                               operationLine("tensor<fp32, [40, 64]> z", "mul(x = a, y = r)"),
         "z", {"linear", "mul"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto folded = prepare(program(linearLine + c.body, c.result));
        EXPECT_EQ(opTypes(folded), c.foldedSteps);
        // Returning y as well keeps it whole, so nothing folds.
        const auto unfolded = prepare(program(linearLine + c.body, c.result + ", y"));
        ASSERT_GT(unfolded.steps().size(), folded.steps().size());
        expectNear(floatsOf(run(folded).front()), floatsOf(run(unfolded).front()), 1e-5f);
    }
}

TEST(EpilogueFusion, LeavesStepsThatCannotFold) {
    const std::vector<FoldCase> cases{
        {"two readers", linearLine + operationLine("tensor<fp32, [40, 64]> a", "silu(x = y)") + operationLine("tensor<fp32, [40, 64]> z", "add(x = a, y = y)"),
         "z", {"linear", "silu", "add"}},
        {"residual made after the product", linearLine + operationLine("tensor<fp32, [40, 64]> s", "sigmoid(x = r)") +
                                                operationLine("tensor<fp32, [40, 64]> z", "add(x = y, y = s)"),
         "z", {"linear", "sigmoid", "add"}},
        {"broadcast residual", operationLine("tensor<fp32, [1, 64]> s", "reduce_sum(axes = " + intsValue({0}) + ", keep_dims = bool(true), x = r)") +
                                   linearLine + operationLine("tensor<fp32, [40, 64]> z", "add(x = y, y = s)"),
         "z", {"reduce_sum", "linear", "add"}},
        {"an activation the product does not apply", linearLine + operationLine("tensor<fp32, [40, 64]> z", "leaky_relu(alpha = fp32(0.1), x = y)"),
         "z", {"linear", "leaky_relu"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(opTypes(prepare(program(c.body, c.result))), c.foldedSteps);
    }
}

} // namespace
