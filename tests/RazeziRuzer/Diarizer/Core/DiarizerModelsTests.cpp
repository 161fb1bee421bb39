#include "RazeziRuzer/Diarizer/Core/DiarizerModels.hpp"

#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "RazeziRuzer/DownloadUtils.hpp"
#include "tests/RazeziRuzer/Diarizer/ScriptedDiarizer/ScriptedDiarizer.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using platform::coreml::MLComputeUnits;
using platform::coreml::MLModelBackendRegistry;
using platform::coreml::ScriptedModelBackend;

class DiarizerModelsTests : public ::testing::Test {
protected:
    DiarizerModelsTests() {
        registrations.push_back(MLModelBackendRegistry::shared().registerBackend(
            MLModelBackendRegistry::forFileName("pyannote_segmentation.mlmodelc"),
            [this](const auto&, const auto&) { return scripted.segmentation; }));
        registrations.push_back(MLModelBackendRegistry::shared().registerBackend(
            MLModelBackendRegistry::forFileName("wespeaker_v2.mlmodelc"),
            [this](const auto&, const auto&) { return scripted.embedding; }));
        DownloadUtils::enforceOffline = true;
    }
    ~DiarizerModelsTests() override { DownloadUtils::enforceOffline = false; }

    void writeBundles(const std::filesystem::path& repository) {
        ScriptedModelBackend::writeCompiledModelFolder(repository / "pyannote_segmentation.mlmodelc");
        ScriptedModelBackend::writeCompiledModelFolder(repository / "wespeaker_v2.mlmodelc");
    }

    diarizertest::ScriptedDiarizer scripted;
    std::vector<MLModelBackendRegistry::Registration> registrations;
    testsupport::TemporaryDirectory folder;
};

TEST_F(DiarizerModelsTests, DefaultConfigurationFollowsCI) {
    testsupport::ScopedEnvironment environment;
    environment.unset("CI");
    EXPECT_EQ(DiarizerModels::defaultConfiguration().computeUnits, MLComputeUnits::all);
    environment.set("CI", "");
    EXPECT_EQ(DiarizerModels::defaultConfiguration().computeUnits, MLComputeUnits::cpuAndNeuralEngine);
    EXPECT_TRUE(DiarizerModels::defaultConfiguration().allowLowPrecisionAccumulationOnGPU);
    EXPECT_EQ(DiarizerModels::defaultModelsDirectory().filename(), "speaker-diarization");
    EXPECT_EQ(DiarizerModels::defaultModelsDirectory().parent_path().filename(), "Models");
    EXPECT_EQ(DiarizerModels::requiredModelNames().size(), 2u);
}

TEST_F(DiarizerModelsTests, ACustomFolderKeepsItsName) {
    const auto custom = folder.path() / "custom";
    writeBundles(custom / "speaker-diarization");
    // A same-named repository beside the custom folder must not be the one used.
    EXPECT_EQ(DiarizerModels::repositoryFolder(custom), custom / "speaker-diarization");
    EXPECT_EQ(DiarizerModels::repositoryFolder(folder.path() / "speaker-diarization"),
              folder.path() / "speaker-diarization");
    EXPECT_EQ(DiarizerModels::repositoryFolder(DiarizerModels::defaultModelsDirectory()),
              DiarizerModels::defaultModelsDirectory());
    bool called = false;
    const auto models = DiarizerModels::load(custom, std::nullopt, [&](const auto&) { called = true; });
    EXPECT_FALSE(called);
    EXPECT_GE(models.compilationDuration, 0.0);
    EXPECT_EQ(models.segmentationModel.modelDescription().outputDescriptionsByName.count("segments"), 1u);
    EXPECT_THROW(DiarizerModels::download(folder.path() / "empty"), std::exception);
}

TEST_F(DiarizerModelsTests, LocalBundlesAreUsedAsGiven) {
    writeBundles(folder.path() / "anywhere");
    const auto models = DiarizerModels::load(folder.path() / "anywhere" / "pyannote_segmentation.mlmodelc",
                                             folder.path() / "anywhere" / "wespeaker_v2.mlmodelc");
    EXPECT_EQ(models.embeddingModel.configuration(), DiarizerModels::defaultConfiguration());
    EXPECT_THROW(DiarizerModels::load(folder.path() / "missing.mlmodelc",
                                      folder.path() / "anywhere" / "wespeaker_v2.mlmodelc"),
                 std::exception);
}

} // namespace
} // namespace razeziruzer
