#include "PelluxCore/ModelUtilities.hpp"

#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace pelluxcore {
namespace {

namespace fs = std::filesystem;
using namespace platform::coreml;

class DetectModelUrl : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;

    fs::path compiled(const std::string& relative) {
        fs::create_directories(folder / relative);
        return folder / relative;
    }
    fs::path package(const std::string& relative) {
        return folder.write(relative + "/Data/zar.apple.CoreML/model.mlmodel", "model");
    }
};

TEST_F(DetectModelUrl, CompiledFolderWinsOverPackage) {
    const auto packageFile = package("AudioEncoder.mlpackage");
    const auto expectedCompiled = folder / "AudioEncoder.mlmodelc";
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "AudioEncoder"), packageFile);
    compiled("AudioEncoder.mlmodelc");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "AudioEncoder"), expectedCompiled);
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "TextDecoder"), folder / "TextDecoder.mlmodelc");
}

TEST_F(DetectModelUrl, PackageWithoutItsModelFileCountsAsMissing) {
    fs::create_directories(folder / "MelSpectrogram.mlpackage" / "Data");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "MelSpectrogram"), folder / "MelSpectrogram.mlmodelc");
}

TEST_F(DetectModelUrl, RecursiveSearchFindsOnlyCompiledFoldersOfTheExactName) {
    const auto nested = compiled("a/b/AudioEncoder.mlmodelc");
    compiled("c/audioencoder.mlmodelc");
    package("d/TextDecoder.mlpackage");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "AudioEncoder", true), nested);
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "TextDecoder", true), folder / "TextDecoder.mlmodelc");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "audioEncoder", true), folder / "audioEncoder.mlmodelc");

    const auto direct = compiled("AudioEncoder.mlmodelc");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "AudioEncoder", true), direct);
    EXPECT_EQ(ModelUtilities::detectModelURL(folder / "missing", "X", true), folder / "missing" / "X.mlmodelc");
    // Without recursion the nested folder is not looked for.
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "TextDecoder", false), folder / "TextDecoder.mlmodelc");
}

TEST_F(DetectModelUrl, FirstModelInAFolder) {
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path()), std::nullopt);
    EXPECT_EQ(ModelUtilities::detectModelURL(folder / "missing"), std::nullopt);
    fs::create_directories(folder / "Only.mlpackage");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path()), folder / "Only.mlpackage/Data/zar.apple.CoreML/model.mlmodel");
    const auto model = compiled("Z.mlmodelc");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path()), model);
    const auto file = folder.write("plain.txt", "x");
    EXPECT_EQ(ModelUtilities::detectModelURL(file), std::nullopt);
}

TEST(ModelDimensions, AbsentForEveryMismatch) {
    MLFeatureDescription image;
    image.name = "image";
    image.type = MLFeatureType::image;
    MLFeatureDescription unconstrained;
    unconstrained.name = "bare";
    unconstrained.type = MLFeatureType::multiArray;
    const auto description = MLModelDescription::make(
        {MLFeatureDescription::multiArray("input_ids", {1, 8}, MLMultiArrayDataType::int32), image, unconstrained},
        {MLFeatureDescription::multiArray("logits", {1, 3, 5}, MLMultiArrayDataType::float16)});
    const MLModel model(std::make_shared<ScriptedModelBackend>(description, std::vector<ScriptedModelBackend::Outputs>{}));

    EXPECT_EQ(ModelUtilities::getModelOutputDimension(&model, "logits", 0), 1);
    EXPECT_EQ(ModelUtilities::getModelOutputDimension(&model, "logits", 2), 5);
    EXPECT_EQ(ModelUtilities::getModelInputDimension(&model, "input_ids", 1), 8);
    EXPECT_EQ(ModelUtilities::getModelOutputDimension(&model, "logits", 3), std::nullopt);
    EXPECT_EQ(ModelUtilities::getModelInputDimension(&model, "logits", 0), std::nullopt);
    EXPECT_EQ(ModelUtilities::getModelInputDimension(&model, "input_id", 0), std::nullopt);
    EXPECT_EQ(ModelUtilities::getModelInputDimension(&model, "image", 0), std::nullopt);
    EXPECT_EQ(ModelUtilities::getModelInputDimension(&model, "bare", 0), std::nullopt);
    EXPECT_EQ(ModelUtilities::getModelInputDimension(nullptr, "input_ids", 0), std::nullopt);
}

} // namespace
} // namespace pelluxcore
