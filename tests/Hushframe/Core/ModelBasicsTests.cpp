#include "Hushframe/Core/Configurations/HushframeConfig.hpp"
#include "Hushframe/Core/Models/AudioChunk.hpp"
#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/Models/ModelComputeOptions.hpp"
#include "Hushframe/Core/Models/ModelVariant.hpp"
#include "Hushframe/Core/Models/TextOperations.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace hushframe {
namespace {

using platform::coreml::MLComputeUnits;

TEST(ModelVariantTests, TextFormsAndLanguages) {
    const std::vector<std::string> texts = {"tiny",  "tiny.en",  "base",  "base.en",  "small",   "small.en",
                                            "medium", "medium.en", "large", "large-v2", "large-v3"};
    for (std::size_t i = 0; i < allModelVariants.size(); ++i) {
        EXPECT_EQ(description(allModelVariants[i]), texts[i]);
        EXPECT_EQ(isMultilingual(allModelVariants[i]), !texts[i].ends_with(".en")) << texts[i];
    }
    std::ostringstream printed;
    printed << ModelVariant::largev2;
    EXPECT_EQ(printed.str(), "large-v2");
}

TEST(ModelComputeOptionsTests, AbsentEncoderUnitsDependOnTheSystem) {
    EXPECT_EQ(defaultAudioEncoderCompute(true), MLComputeUnits::cpuAndNeuralEngine);
    EXPECT_EQ(defaultAudioEncoderCompute(false), MLComputeUnits::cpuAndGPU);

    const ModelComputeOptions defaults;
    EXPECT_EQ(defaults.melCompute, MLComputeUnits::cpuAndGPU);
    EXPECT_EQ(defaults.audioEncoderCompute, MLComputeUnits::cpuAndGPU);  // this system is not macOS
    EXPECT_EQ(defaults.textDecoderCompute, MLComputeUnits::cpuAndNeuralEngine);
    EXPECT_EQ(ModelComputeOptions(MLComputeUnits::all, MLComputeUnits::cpuOnly).audioEncoderCompute,
              MLComputeUnits::cpuOnly);
}

TEST(ConstantsTests, LanguagesAndPunctuation) {
    EXPECT_EQ(Constants::languages().size(), 112U);
    EXPECT_EQ(Constants::languageCodes().size(), 100U);
    EXPECT_EQ(Constants::languages().at("mandarin"), "zh");
    EXPECT_EQ(Constants::languages().at("haitian creole"), "ht");
    EXPECT_TRUE(Constants::languageCodes().contains("haw"));
    EXPECT_FALSE(Constants::languageCodes().contains("english"));
    EXPECT_EQ(Constants::defaultPrependPunctuations, "\"'\u201C\u00A1\u00BF([{-");
    EXPECT_EQ(Constants::defaultAppendPunctuations, "\"'.\u3002,\uFF0C!\uFF01?\uFF1F:\uFF1A\u201D)]}\u3001");
    EXPECT_EQ(AudioChunk{.seekOffsetIndex = 480000}.seekOffsetIndex / 16000, 30);
}

TEST(TextOperationsTests, NormalisedAndTrimmedTexts) {
    EXPECT_EQ(normalized("Hello-World,  again!"), "hello world again");
    EXPECT_EQ(normalized("  ÉCOLE «très» bien  "), "école très bien");
    EXPECT_EQ(trimmingSpecialTokenCharacters("<|en|>"), "en");
    EXPECT_EQ(trimmingSpecialTokenCharacters("<|a<b|>"), "a<b");
    EXPECT_EQ(trimmingSpecialTokenCharacters("<||>"), "");
}

TEST(HushframeConfigTests, ComponentsAreSharedAndValuesCopied) {
    HushframeConfig config;
    config.model = "large-v3_turbo";
    config.computeOptions = ModelComputeOptions(MLComputeUnits::cpuAndGPU, MLComputeUnits::cpuAndNeuralEngine);
    config.prewarm = true;
    config.logitsFilters.emplace();
    const HushframeConfig copy = config;
    config.model = "tiny";
    EXPECT_EQ(copy.model, "large-v3_turbo");
    EXPECT_FALSE(copy.load.has_value());
    EXPECT_TRUE(copy.logitsFilters.has_value() && copy.logitsFilters->empty());
    EXPECT_EQ(copy.computeOptions->audioEncoderCompute, MLComputeUnits::cpuAndNeuralEngine);
}

// A compiled model folder served by a scripted backend.
class WhisperMLModelTests : public ::testing::Test {
protected:
    WhisperMLModelTests() {
        folder_.write("Stage.mlmodelc/coremldata.bin", "x");
        registration_ = platform::coreml::MLModelBackendRegistry::shared().registerBackend(
            platform::coreml::MLModelBackendRegistry::forPath(modelURL()),
            [this](const std::filesystem::path&, const platform::coreml::MLModelConfiguration& configuration) {
                loadedUnits_.push_back(configuration.computeUnits);
                return std::make_shared<platform::coreml::ScriptedModelBackend>(
                    platform::coreml::MLModelDescription{},
                    std::vector<platform::coreml::ScriptedModelBackend::Outputs>{});
            });
    }

    std::filesystem::path modelURL() const { return folder_ / "Stage.mlmodelc"; }

    testsupport::TemporaryDirectory folder_;
    platform::coreml::MLModelBackendRegistry::Registration registration_;
    std::vector<MLComputeUnits> loadedUnits_;
};

TEST_F(WhisperMLModelTests, LoadKeepsTheModelAndPrewarmDropsIt) {
    WhisperMLModel stage;
    stage.loadModel(modelURL(), MLComputeUnits::cpuAndGPU, false);
    EXPECT_EQ(stage.modelState(), pelluxcore::ModelState::loaded);
    stage.unloadModel();
    EXPECT_EQ(stage.modelState(), pelluxcore::ModelState::unloaded);

    stage.loadModel(modelURL(), MLComputeUnits::cpuOnly, true);
    EXPECT_FALSE(stage.model().has_value());
    EXPECT_EQ(stage.modelState(), pelluxcore::ModelState::unloaded);
    EXPECT_THAT(loadedUnits_, ::testing::ElementsAre(MLComputeUnits::cpuAndGPU, MLComputeUnits::cpuOnly));
}

TEST_F(WhisperMLModelTests, FailedLoadPassesTheErrorAndKeepsTheModel) {
    WhisperMLModel stage;
    stage.loadModel(modelURL(), MLComputeUnits::all, false);
    EXPECT_THROW(stage.loadModel(folder_ / "Missing.mlmodelc", MLComputeUnits::all, false),
                 platform::coreml::MLModelError);
    EXPECT_EQ(stage.modelState(), pelluxcore::ModelState::loaded);
}

} // namespace
} // namespace hushframe
