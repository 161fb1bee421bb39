// Whole bundles written here, loaded through MLModel::load with no scripted
// backend, and run against the same arithmetic done by plain loops.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Platform/CoreML/MIL/ProgramTestSupport.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace platform::coreml;
using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;
using namespace miltest;

class ProgramModel : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    ModelBundleWriter bundle;
};

// A two-layer perceptron in the verbose dialect, half-precision weights in the
// weight file past its first blob, fp32 input cast down and the result cast up.
TEST_F(ProgramModel, VerboseDialectPerceptronMatchesPlainArithmetic) {
    const auto w1 = randomValues(4 * 3, 1);
    const auto b1 = randomValues(4, 2);
    const auto w2 = randomValues(2 * 4, 3);
    const auto b2 = randomValues(2, 4);
    auto verbose = [&](const std::string& name, const std::vector<float>& values, ModelBundleWriter::Shape shape) {
        const auto text = bundle.blob(DataType::fp16, shape, values);
        // Turn the short-dialect BLOBFILE arguments into the verbose spelling.
        auto verboseText = text;
        const auto replace = [&verboseText](const std::string& from, const std::string& to) {
            verboseText.replace(verboseText.find(from), from.size(), to);
        };
        replace("string(\"@model_path", "tensor<string, []>(\"@model_path");
        replace("uint64(", "tensor<uint64, []>(");
        return testsupport::tensorTypeText(DataType::fp16, shape) + " " + name + " = const()[name = tensor<string, []>(\"" +
               name + "\"), val = " + verboseText + "];\n";
    };
    std::string program = "program(1.0)\n"
                          "[buildInfo = dict<tensor<string, []>, tensor<string, []>>({{\"coremlc-version\", \"3402.3.2\"}})]\n"
                          "{\n    func main<ios17>(tensor<fp32, [2, 3]> x) {\n";
    program += "        tensor<string, []> to16 = const()[name = tensor<string, []>(\"to16\"), val = tensor<string, []>(\"fp16\")];\n";
    program += "        tensor<string, []> to32 = const()[name = tensor<string, []>(\"to32\"), val = tensor<string, []>(\"fp32\")];\n";
    program += "        " + verbose("w1", w1, {4, 3}) + "        " + verbose("b1", b1, {4}) + "        " + verbose("w2", w2, {2, 4}) +
               "        " + verbose("b2", b2, {2});
    program += "        tensor<fp16, [2, 3]> x16 = cast(dtype = to16, x = x)[name = tensor<string, []>(\"cast_in\")];\n"
               "        tensor<fp16, [2, 4]> h = linear(bias = b1, weight = w1, x = x16)[name = tensor<string, []>(\"l1\")];\n"
               "        tensor<fp16, [2, 4]> r = relu(x = h)[name = tensor<string, []>(\"relu\")];\n"
               "        tensor<fp16, [2, 2]> y16 = linear(bias = b2, weight = w2, x = r)[name = tensor<string, []>(\"l2\")];\n"
               "        tensor<fp32, [2, 2]> y = cast(dtype = to32, x = y16)[name = tensor<string, []>(\"cast_out\")];\n"
               "    } -> (y);\n}\n";
    bundle.write(folder / "mlp.mlmodelc", program);

    const auto model = MLModel::load(folder / "mlp.mlmodelc");
    const auto x = randomValues(6, 5, 2.0f);
    const auto output = model.prediction(MLDictionaryFeatureProvider({{"x", MLFeatureValue(floatArray({2, 3}, x))}}));

    auto hidden = linearReference(roundedToHalf(x), 2, roundedToHalf(w1), roundedToHalf(b1), 3, 4);
    for (auto& value : hidden) {
        value = std::max(value, 0.0f);
    }
    const auto expected = linearReference(hidden, 2, roundedToHalf(w2), roundedToHalf(b2), 4, 2);
    const auto y = *output.featureValue("y")->multiArrayValue();
    EXPECT_EQ(y.dataType(), MLMultiArrayDataType::float32);
    EXPECT_EQ(y.shape(), (std::vector<std::int64_t>{2, 2}));
    expectNear(valuesOf(y), expected, 1e-2f);
}

TEST_F(ProgramModel, DescriptionComesFromTheSignatureAndMetadata) {
    const std::string program = R"(program(1.3)
{
    func main<ios18>(tensor<fp16, [1, 80, ?]> mel, tensor<int32, [1]> length, state<tensor<fp16, [2, 4]>> cache) {
        tensor<fp16, [2, 4]> old = read_state(input = cache)[name = string("read")];
        tensor<fp16, [1, 80, ?]> out = relu(x = mel)[name = string("relu")];
    } -> (out, length);
}
)";
    nlohmann::json metadata = nlohmann::json::array({{
        {"metadataOutputVersion", "3.0"},
        {"author", "Tests"},
        {"shortDescription", "A feature extractor"},
        {"version", "1.2"},
        {"userDefinedMetadata", {{"sample_rate", "16000"}}},
        {"inputSchema", {{{"name", "mel"}, {"dataType", "Float16"}, {"shape", "[1, 80, 3000]"},
                          {"hasShapeFlexibility", "1"}, {"enumeratedShapes", "[[1, 80, 1500], [1, 80, 3000]]"}}}},
    }});
    bundle.write(folder / "described.mlmodelc", program, metadata);

    const auto description = MLModel::load(folder / "described.mlmodelc").modelDescription();
    const auto& mel = description.inputDescriptionsByName.at("mel").multiArrayConstraint.value();
    EXPECT_EQ(mel.dataType, MLMultiArrayDataType::float16);
    EXPECT_EQ(mel.shape, (std::vector<std::int64_t>{1, 80, 3000}));
    EXPECT_EQ(mel.shapeConstraint.type, MLMultiArrayShapeConstraintType::enumerated);
    EXPECT_TRUE(mel.admits({1, 80, 1500}));
    EXPECT_FALSE(mel.admits({1, 80, 1000}));
    const auto& length = description.inputDescriptionsByName.at("length").multiArrayConstraint.value();
    EXPECT_EQ(length.dataType, MLMultiArrayDataType::int32);
    EXPECT_EQ(length.shape, (std::vector<std::int64_t>{1}));
    EXPECT_EQ(description.outputDescriptionsByName.size(), 2u);
    EXPECT_EQ(description.outputDescriptionsByName.at("out").multiArrayConstraint->dataType, MLMultiArrayDataType::float16);
    const auto& cache = description.stateDescriptionsByName.at("cache").stateConstraint.value();
    EXPECT_EQ(cache.bufferShape, (std::vector<std::int64_t>{2, 4}));
    EXPECT_EQ(cache.dataType, MLMultiArrayDataType::float16);
    EXPECT_EQ(description.metadata.author, "Tests");
    EXPECT_EQ(description.metadata.description, "A feature extractor");
    EXPECT_EQ(description.metadata.versionString, "1.2");
    EXPECT_EQ(description.metadata.creatorDefinedKey->at("sample_rate"), "16000");
}

TEST_F(ProgramModel, FlexibleInputsBindTheirSizeAtEachPrediction) {
    const std::string program = R"(program(1.3)
{
    func main<ios18>(tensor<fp32, [1, ?]> x) {
        tensor<fp32, [1, ?]> doubled = add(x = x, y = x)[name = string("double")];
        int32 axis = const()[name = string("axis"), val = int32(-1)];
        bool keep = const()[name = string("keep"), val = bool(true)];
        tensor<int32, [1]> axes = const()[name = string("axes"), val = tensor<int32, [1]>([-1])];
        tensor<fp32, [1, 1]> total = reduce_sum(axes = axes, keep_dims = keep, x = doubled)[name = string("sum")];
    } -> (doubled, total);
}
)";
    bundle.write(folder / "flexible.mlmodelc", program);
    const auto model = MLModel::load(folder / "flexible.mlmodelc");
    for (const std::int64_t length : {1, 5, 300}) {
        SCOPED_TRACE(length);
        std::vector<float> x(static_cast<std::size_t>(length));
        for (std::size_t i = 0; i < x.size(); ++i) {
            x[i] = static_cast<float>(i) * 0.25f;
        }
        const auto output = model.prediction(MLDictionaryFeatureProvider({{"x", MLFeatureValue(floatArray({1, length}, x))}}));
        const auto doubled = valuesOf(*output.featureValue("doubled")->multiArrayValue());
        ASSERT_EQ(doubled.size(), x.size());
        EXPECT_FLOAT_EQ(doubled.back(), 2 * x.back());
        const float n = static_cast<float>(length);
        EXPECT_FLOAT_EQ(valuesOf(*output.featureValue("total")->multiArrayValue())[0], 0.25f * (n - 1) * n);
    }
}

TEST_F(ProgramModel, FunctionsAreChosenByTheConfiguration) {
    const std::string program = R"(program(1.3)
{
    func main<ios18>(tensor<fp32, [2]> x) {
        tensor<fp32, [2]> y = relu(x = x)[name = string("relu")];
    } -> (y);
    func negate<ios18>(tensor<fp32, [2]> x) {
        fp32 minusOne = const()[name = string("minusOne"), val = fp32(-0x1p+0)];
        tensor<fp32, [2]> y = mul(x = x, y = minusOne)[name = string("negate")];
    } -> (y);
}
)";
    bundle.write(folder / "two.mlmodelc", program);
    const MLDictionaryFeatureProvider input({{"x", MLFeatureValue(floatArray({2}, {-1.5f, 2.0f}))}});

    const auto main = MLModel::load(folder / "two.mlmodelc");
    EXPECT_EQ(valuesOf(*main.prediction(input).featureValue("y")->multiArrayValue()), (std::vector<float>{0.0f, 2.0f}));
    MLModelConfiguration configuration;
    configuration.functionName = "negate";
    const auto negate = MLModel::load(folder / "two.mlmodelc", configuration);
    EXPECT_EQ(valuesOf(*negate.prediction(input).featureValue("y")->multiArrayValue()), (std::vector<float>{1.5f, -2.0f}));

    configuration.functionName = "absent";
    try {
        MLModel::load(folder / "two.mlmodelc", configuration);
        FAIL() << "an absent function loaded";
    } catch (const MLModelError& error) {
        EXPECT_EQ(error.kind(), MLModelErrorKind::generic);
        EXPECT_NE(error.description().find("absent"), std::string::npos);
    }
}

// A running sum kept in state: each prediction adds its input to the state and
// returns the new total, so the state must carry over between predictions and
// stay apart between two states of one model. Compilers write the update split
// into a write and a read; the unsplit form must act the same.
TEST_F(ProgramModel, StateCarriesOverBetweenPredictions) {
    const std::string split = "        write_state(data = sum, input = total)[name = string(\"update_write_state\")];\n"
                              "        tensor<fp16, [1, 3]> current = read_state(input = total)[name = string(\"update\")];\n";
    const std::string unsplit = "        tensor<fp16, [1, 3]> current = coreml_update_state(state = total, value = sum)[name = string(\"update\")];\n";
    for (const auto& [name, update] : {std::pair{"split", split}, std::pair{"unsplit", unsplit}}) {
        SCOPED_TRACE(name);
        const std::string program = "program(1.3)\n{\n"
                                    "    func main<ios18>(tensor<fp16, [1, 3]> x, state<tensor<fp16, [1, 3]>> total) {\n"
                                    "        tensor<fp16, [1, 3]> previous = read_state(input = total)[name = string(\"read\")];\n"
                                    "        tensor<fp16, [1, 3]> sum = add(x = previous, y = x)[name = string(\"add\")];\n" +
                                    update + "    } -> (current);\n}\n";
        const auto bundlePath = folder / (std::string(name) + ".mlmodelc");
        ModelBundleWriter().write(bundlePath, program);
        const auto model = MLModel::load(bundlePath);
        auto first = model.makeState();
        auto second = model.makeState();
        const MLDictionaryFeatureProvider ones({{"x", MLFeatureValue(floatArray({1, 3}, {1, 2, 3}, MLMultiArrayDataType::float16))}});

        model.prediction(ones, first);
        const auto twice = model.prediction(ones, first);
        EXPECT_EQ(valuesOf(*twice.featureValue("current")->multiArrayValue()), (std::vector<float>{2, 4, 6}));
        EXPECT_EQ(valuesOf(first.multiArray("total")), (std::vector<float>{2, 4, 6}));
        const auto once = model.prediction(ones, second);
        EXPECT_EQ(valuesOf(*once.featureValue("current")->multiArrayValue()), (std::vector<float>{1, 2, 3}));
        EXPECT_THROW(model.prediction(ones), MLModelError);
    }
}

} // namespace
