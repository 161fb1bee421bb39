// Bad bundles and bad inputs give model errors a user can act on, of the kind
// that tells a damaged download (worth fetching again) from a model this
// runtime cannot run (to be kept).

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using namespace platform::coreml;
using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;

std::string reluProgram(const std::string& body, const std::string& inputType = "tensor<fp32, [4]>") {
    return "program(1.3)\n{\n    func main<ios18>(" + inputType + " x) {\n" + body + "    } -> (y);\n}\n";
}

const std::string weightRelu = "        tensor<fp32, [4]> y = add(x = x, y = w)[name = string(\"add\")];\n";

// Writes a bundle whose constant `w` lies in the weight file, then lets the case spoil it.
void writeWeightBundle(const std::filesystem::path& folder, const std::function<void(std::string& program)>& editProgram = {}) {
    ModelBundleWriter bundle;
    const std::vector<float> w{1, 2, 3, 4};
    auto program = reluProgram("        " + bundle.blobConstant("w", DataType::fp32, {4}, w) + weightRelu);
    if (editProgram) {
        editProgram(program);
    }
    bundle.write(folder, program);
}

void overwriteBytes(const std::filesystem::path& file, std::streamoff offset, const std::string& bytes) {
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    stream.seekp(offset);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct LoadCase {
    std::string name;
    std::function<void(const std::filesystem::path& folder)> make;
    MLModelErrorKind kind;
    std::vector<std::string> fragments;
};

TEST(ProgramModelErrors, BadBundlesFailToLoadWithTheirKindAndPlace) {
    testsupport::TemporaryDirectory root;
    const auto write = [](const std::filesystem::path& folder, const std::string& program) { ModelBundleWriter().write(folder, program); };
    const std::vector<LoadCase> cases{
        {"malformed text",
         [&](const auto& folder) { write(folder, reluProgram("        tensor<fp32, [4]> y = relu(x = x;\n")); },
         MLModelErrorKind::damagedModel, {"model.mil line 4, column"}},
        {"unknown operation",
         [&](const auto& folder) { write(folder, reluProgram("        tensor<fp32, [4]> y = frobnicate(x = x)[name = string(\"f\")];\n")); },
         MLModelErrorKind::noModelRuntime, {"frobnicate", "No model runtime is available", "unknown operation.mlmodelc"}},
        {"unknown element type",
         [&](const auto& folder) { write(folder, reluProgram("        tensor<fp32, [4]> y = relu(x = x)[name = string(\"r\")];\n", "tensor<fp8, [4]>")); },
         MLModelErrorKind::noModelRuntime, {"fp8"}},
        {"undefined value",
         [&](const auto& folder) { write(folder, reluProgram("        tensor<fp32, [4]> y = relu(x = nothing)[name = string(\"r\")];\n")); },
         MLModelErrorKind::damagedModel, {"undefined value 'nothing'", "line 4"}},
        {"missing argument",
         [&](const auto& folder) { write(folder, reluProgram("        tensor<fp32, [4]> y = relu()[name = string(\"r\")];\n")); },
         MLModelErrorKind::damagedModel, {"relu lacks its argument 'x'"}},
        {"value defined twice",
         [&](const auto& folder) {
             write(folder, reluProgram("        tensor<fp32, [4]> y = relu(x = x)[name = string(\"r\")];\n"
                                       "        tensor<fp32, [4]> y = relu(x = x)[name = string(\"s\")];\n"));
         },
         MLModelErrorKind::damagedModel, {"'y' is defined twice"}},
        {"undefined result",
         [&](const auto& folder) { write(folder, reluProgram("        tensor<fp32, [4]> z = relu(x = x)[name = string(\"r\")];\n")); },
         MLModelErrorKind::damagedModel, {"undefined value 'y'"}},
        {"blob past the end of the file",
         [](const auto& folder) { writeWeightBundle(folder, [](std::string& program) { program.replace(program.find("uint64(64)"), 10, "uint64(4096)"); }); },
         MLModelErrorKind::damagedModel, {"4096"}},
        {"wrong sentinel",
         [](const auto& folder) {
             writeWeightBundle(folder);
             overwriteBytes(folder / "weights/weight.bin", 64, "\x01\x02\x03\x04");
         },
         MLModelErrorKind::damagedModel, {"weight.bin"}},
        {"truncated weights",
         [](const auto& folder) {
             writeWeightBundle(folder);
             std::filesystem::resize_file(folder / "weights/weight.bin", 130);
         },
         MLModelErrorKind::damagedModel, {"weight.bin"}},
        {"missing weight file",
         [](const auto& folder) {
             writeWeightBundle(folder);
             std::filesystem::remove(folder / "weights/weight.bin");
         },
         MLModelErrorKind::damagedModel, {"weight.bin"}},
        {"weight type disagrees with the program",
         [](const auto& folder) {
             writeWeightBundle(folder, [](std::string& program) {
                 program.replace(program.find("tensor<fp32, [4]>(BLOBFILE"), 17, "tensor<fp16, [4]>");
                 program.replace(program.find("tensor<fp32, [4]> w"), 17, "tensor<fp16, [4]>");
             });
         },
         MLModelErrorKind::damagedModel, {"weight.bin"}},
        {"weight file outside the bundle",
         [](const auto& folder) {
             writeWeightBundle(folder, [](std::string& program) {
                 program.replace(program.find("@model_path/weights"), 19, "@model_path/../../weights");
             });
         },
         MLModelErrorKind::damagedModel, {"outside the model folder"}},
        {"layer-based bundle",
         [&](const auto& folder) {
             std::filesystem::create_directories(folder);
             std::ofstream(folder / "coremldata.bin") << "compiled";
             std::ofstream(folder / "model.espresso.net") << "{}";
         },
         MLModelErrorKind::noModelRuntime, {"layer-based"}},
        {"metadata that is not JSON",
         [&](const auto& folder) {
             write(folder, reluProgram("        tensor<fp32, [4]> y = relu(x = x)[name = string(\"r\")];\n"));
             std::ofstream(folder / "metadata.json") << "[{";
         },
         MLModelErrorKind::damagedModel, {"metadata.json"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto folder = root / (c.name + ".mlmodelc");
        c.make(folder);
        try {
            MLModel::load(folder);
            ADD_FAILURE() << "loaded";
        } catch (const MLModelError& error) {
            EXPECT_EQ(error.kind(), c.kind) << error.description();
            for (const auto& fragment : c.fragments) {
                EXPECT_NE(error.description().find(fragment), std::string::npos) << error.description();
            }
        }
        EXPECT_TRUE(std::filesystem::exists(folder / "coremldata.bin")) << "loading must never delete a bundle";
    }
}

TEST(ProgramModelErrors, BadInputsAtPredictionAreFeatureErrors) {
    testsupport::TemporaryDirectory root;
    const std::string program = R"(program(1.3)
{
    func main<ios18>(tensor<fp32, [1, ?]> x) {
        tensor<int32, [2]> shape = const()[name = string("shape"), val = tensor<int32, [2]>([2, 2])];
        tensor<fp32, [2, 2]> y = reshape(shape = shape, x = x)[name = string("square")];
    } -> (y);
}
)";
    ModelBundleWriter().write(root / "reshape.mlmodelc", program);
    const auto model = MLModel::load(root / "reshape.mlmodelc");
    const auto input = [](std::int64_t length) {
        MLMultiArray x({1, length}, MLMultiArrayDataType::float32, 1.0);
        return MLDictionaryFeatureProvider({{"x", MLFeatureValue(x)}});
    };
    EXPECT_EQ(model.prediction(input(4)).featureValue("y")->multiArrayValue()->shape(), (std::vector<std::int64_t>{2, 2}));

    struct Case {
        std::string name;
        std::function<void()> predict;
        std::string fragment;
    };
    const std::vector<Case> cases{
        {"missing input", [&] { model.prediction(MLDictionaryFeatureProvider({})); }, "\"x\""},
        {"wrong rank", [&] { model.prediction(MLDictionaryFeatureProvider({{"x", MLFeatureValue(MLMultiArray({4}, MLMultiArrayDataType::float32))}})); }, "x"},
        {"size the program cannot use", [&] { model.prediction(input(5)); }, "square"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.predict();
            ADD_FAILURE() << "predicted";
        } catch (const MLModelError& error) {
            EXPECT_EQ(error.kind(), MLModelErrorKind::featureType) << error.description();
            EXPECT_NE(error.description().find(c.fragment), std::string::npos) << error.description();
        }
    }
    // The model still works after failed predictions.
    EXPECT_EQ(model.prediction(input(4)).featureValue("y")->multiArrayValue()->count(), 4);
}

} // namespace
