#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModels.hpp"

#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrManager.hpp"
#include "RazeziRuzer/ASR/Parakeet/ParakeetVocabulary.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelsError.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "tests/RazeziRuzer/ASR/ScriptedParakeet/ScriptedParakeet.hpp"
#include "tests/RazeziRuzer/Download/HubFixture.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using downloadtest::directoryEntry;
using downloadtest::fileEntry;
using platform::coreml::MLComputeUnits;
using platform::coreml::ScriptedModelBackend;
using scriptedparakeet::ScriptedParakeet;

const std::string remote = "ZoviriVodovozav/parakeet-tdt-0.6b-v3-coreml";
const std::string repoFolder = "parakeet-tdt-0.6b-v3";
const std::vector<std::string> v3Bundles{"Preprocessor.mlmodelc", "Encoder.mlmodelc", "Decoder.mlmodelc",
                                         "JointDecisionv3.mlmodelc"};

class AsrModelsTests : public downloadtest::HubFixture {
protected:
    AsrModelsTests() : registrations(scripted.registerBackends()) {}

    std::filesystem::path models() const { return folder / "models"; }
    std::filesystem::path repository() const { return models() / repoFolder; }

    void writeCompleteFolder(const std::string& vocabulary = R"(["a", "b"])") {
        for (const auto& bundle : v3Bundles) ScriptedModelBackend::writeCompiledModelFolder(repository() / bundle);
        folder.write("models/" + repoFolder + "/parakeet_vocab.json", vocabulary);
    }

    void serveRepository(const std::vector<std::string>& bundles) {
        nlohmann::json top = nlohmann::json::array({fileEntry("parakeet_vocab.json", 9)});
        for (const auto& bundle : bundles) {
            top.push_back(directoryEntry(bundle));
            serveListing(remote, "tree/main/" + bundle, nlohmann::json::array({fileEntry(bundle + "/coremldata.bin", 4)}));
            serveFile(remote, bundle + "/coremldata.bin", "data");
        }
        serveListing(remote, "tree/main", top);
        serveFile(remote, "parakeet_vocab.json", R"(["x","y"])");
    }

    AsrModels loadV3(const std::filesystem::path& from) {
        return AsrModels::load(from, std::nullopt, AsrModelVersion::v3, ParakeetEncoderPrecision::int8);
    }

    ScriptedParakeet scripted;
    std::vector<platform::coreml::MLModelBackendRegistry::Registration> registrations;
};

TEST_F(AsrModelsTests, LoadFetchesAMissingRepositoryAndTranscribes) {
    serveRepository(v3Bundles);
    const auto set = loadV3(repository());
    EXPECT_EQ(set.vocabulary, (Vocabulary{{0, "x"}, {1, "y"}}));
    EXPECT_TRUE(set.usesSplitFrontend());
    EXPECT_EQ(set.preprocessor.configuration().computeUnits, MLComputeUnits::cpuOnly);
    EXPECT_EQ(set.encoder->configuration().computeUnits, MLComputeUnits::cpuAndNeuralEngine);
    EXPECT_EQ(set.configuration, AsrModels::defaultConfiguration());
    EXPECT_TRUE(AsrModels::modelsExist(repository()));

    AsrManager manager(ASRConfig::default_(), set);
    auto state = TdtDecoderState::make(manager.decoderLayerCount());
    EXPECT_EQ(manager.transcribe(scriptedparakeet::codedAudio({1, -1, 0, -1}), state).text, "yx");
}

TEST_F(AsrModelsTests, LoadReadsTheRepositoryFolderBesideAnotherName) {
    writeCompleteFolder();
    auto configuration = AsrModels::defaultConfiguration();
    configuration.computeUnits = MLComputeUnits::all;
    const auto set = AsrModels::load(models() / "elsewhere", configuration, AsrModelVersion::v3,
                                     ParakeetEncoderPrecision::int8, MLComputeUnits::cpuOnly);
    EXPECT_EQ(set.vocabulary.size(), 2u);
    EXPECT_EQ(set.encoder->configuration().computeUnits, MLComputeUnits::cpuOnly);
    EXPECT_EQ(set.decoder.configuration().computeUnits, MLComputeUnits::all);
    EXPECT_EQ(set.configuration, configuration);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(AsrModelsTests, DownloadReturnsAtOnceForACompleteFolder) {
    writeCompleteFolder();
    const auto target = AsrModels::download(repository(), false, AsrModelVersion::v3, ParakeetEncoderPrecision::int8);
    EXPECT_EQ(target, repository());
    EXPECT_TRUE(log.contains("ASR models already present at: " + repository().string()));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(AsrModelsTests, ForcedDownloadRefreshesOnlyTheFolderItDownloadsInto) {
    writeCompleteFolder();
    folder.write("models/" + repoFolder + "/stale.txt", "old");
    folder.write("models/mine/keep.txt", "mine");
    serveRepository(v3Bundles);
    const auto target = AsrModels::download(models() / "mine", true, AsrModelVersion::v3, ParakeetEncoderPrecision::int8);
    EXPECT_EQ(target, models() / "mine");
    EXPECT_EQ(folder.read("models/mine/keep.txt"), "mine");
    EXPECT_FALSE(std::filesystem::exists(repository() / "stale.txt"));
    EXPECT_EQ(folder.read("models/" + repoFolder + "/Decoder.mlmodelc/coremldata.bin"), "data");
    EXPECT_NO_THROW(AsrModels::download(models() / "absent" / repoFolder, true, AsrModelVersion::v3,
                                        ParakeetEncoderPrecision::int8));
}

TEST_F(AsrModelsTests, VocabularyFileForms) {
    struct Case {
        std::string json;
        std::optional<Vocabulary> expected;
        std::string failure;
    };
    for (const auto& c : std::vector<Case>{
             {R"(["a","b","c"])", Vocabulary{{0, "a"}, {1, "b"}, {2, "c"}}, ""},
             {R"({"0":"a","+1":"b","-2":"c","x":"d"})", Vocabulary{{0, "a"}, {1, "b"}, {-2, "c"}}, ""},
             {"42", std::nullopt, "Failed to load ASR models: Vocabulary file has unexpected format"},
             {"[1, 2]", std::nullopt, "Failed to load ASR models: Vocabulary file has unexpected format"},
             {"[\"a\",", std::nullopt, "Failed to load ASR models: Vocabulary parsing failed"}}) {
        writeCompleteFolder(c.json);
        try {
            EXPECT_EQ(loadV3(repository()).vocabulary, *c.expected) << c.json;
        } catch (const AsrModelsError& error) {
            EXPECT_EQ(error.description(), c.failure) << c.json;
        }
    }
    std::filesystem::remove(repository() / "parakeet_vocab.json");
    EXPECT_FALSE(AsrModels::modelsExist(repository()));
    try {
        loadV3(repository());
        ADD_FAILURE();
    } catch (const AsrModelsError& error) {
        EXPECT_EQ(error.description(), "ASR model 'parakeet_vocab.json' not found at: " +
                                           (repository() / "parakeet_vocab.json").string());
    }
}

// The reason reaches the log; the error is the usual one.
TEST_F(AsrModelsTests, HostileVocabularyFilesAreRefusedWithTheirReasonLogged) {
    writeCompleteFolder(std::string(60000, '[') + std::string(60000, ']'));
    EXPECT_THROW(loadV3(repository()), AsrModelsError);
    EXPECT_TRUE(log.contains("JSON nested more than 128 levels deep"));

    const auto file = repository() / "parakeet_vocab.json";
    std::filesystem::resize_file(file, ParakeetVocabulary::maximumFileBytes + 1);
    EXPECT_THROW(loadV3(repository()), AsrModelsError);
    EXPECT_TRUE(log.contains(file.string() + " is larger than " +
                             std::to_string(ParakeetVocabulary::maximumFileBytes) + " bytes"));
}

TEST(AsrModelsNamesTests, VersionsFromPathsAndNames) {
    testsupport::TemporaryDirectory folder;
    const auto ctc = folder / "parakeet-tdt-ctc-110m";
    for (const auto* name : {"Preprocessor.mlmodelc", "Decoder.mlmodelc", "JointDecision.mlmodelc", "parakeet_vocab.json"}) {
        folder.write(std::string("parakeet-tdt-ctc-110m/") + name, "x");
    }
    EXPECT_TRUE(AsrModels::modelsExist(ctc));
    EXPECT_FALSE(AsrModels::modelsExist(folder / "somewhere"));
    EXPECT_EQ(AsrModels::computeUnitsName(3), "cpuAndNeuralEngine");
    EXPECT_EQ(AsrModels::computeUnitsName(7), "unknown(7)");
    EXPECT_EQ(AsrModels::encoderFile(AsrModelVersion::v3, ParakeetEncoderPrecision::int4), "EncoderInt4.mlmodelc");
    EXPECT_EQ(AsrModels::encoderFile(AsrModelVersion::v2, ParakeetEncoderPrecision::int4), "Encoder.mlmodelc");
    EXPECT_EQ(AsrModels::vocabularyFile(AsrModelVersion::tdtJa), "vocab.json");
}

TEST(AsrModelsConfigurationTests, CiSwitchesToTheCpu) {
    testsupport::ScopedEnvironment environment;
    environment.set("CI", "");
    EXPECT_EQ(AsrModels::optimizedConfiguration(true).computeUnits, MLComputeUnits::cpuOnly);
    EXPECT_TRUE(AsrModels::optimizedConfiguration(true).allowLowPrecisionAccumulationOnGPU);
    environment.unset("CI");
    EXPECT_EQ(AsrModels::optimizedConfiguration(false).computeUnits, MLComputeUnits::cpuAndNeuralEngine);
    EXPECT_TRUE(AsrModels::optimizedPredictionOptions().outputBackings.empty());
}

} // namespace
} // namespace razeziruzer
