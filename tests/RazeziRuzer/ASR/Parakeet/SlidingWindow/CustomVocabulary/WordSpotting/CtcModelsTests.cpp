#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcModels.hpp"

#include "Platform/Core/Logger.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/TDT/AsrModelsError.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/ScriptedCtcModels.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace razeziruzer;

namespace {

TEST(CtcModelVariant, RawValuesAndOrder) {
    EXPECT_EQ(ctcModelVariantFromRawValue("ctc06b"), CtcModelVariant::ctc06b);
    EXPECT_EQ(ctcModelVariantFromRawValue("CTC06B"), std::nullopt);
    EXPECT_EQ(ctcModelVariantFromRawValue(""), std::nullopt);
    EXPECT_EQ(allCtcModelVariants[0], CtcModelVariant::ctc110m);
    EXPECT_EQ(displayName(CtcModelVariant::ctc06b), "Parakeet CTC 0.6B (pure)");
}

TEST(CtcModels, DefaultFolderIsInTheModelsCache) {
    testsupport::TemporaryDirectory home;
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", home.path().string());
    EXPECT_EQ(CtcModels::defaultCacheDirectory(CtcModelVariant::ctc06b),
              home.path() / "RazeziRuzer" / "Models" / "parakeet-ctc-0.6b-coreml");
    EXPECT_EQ(CtcModels::defaultConfiguration().computeUnits, platform::coreml::MLComputeUnits::cpuAndNeuralEngine);
}

TEST(CtcModels, ModelsExistOnlyWithBothBundlesAndTheVocabulary) {
    testsupport::TemporaryDirectory folder;
    platform::coreml::ScriptedModelBackend::writeCompiledModelFolder(folder / "MelSpectrogram.mlmodelc");
    platform::coreml::ScriptedModelBackend::writeCompiledModelFolder(folder / "AudioEncoder.mlmodelc");
    EXPECT_FALSE(CtcModels::modelsExist(folder.path()));
    folder.write("vocab.json", "{}");
    EXPECT_TRUE(CtcModels::modelsExist(folder.path()));
    // Present files mean no download at all.
    platform::ScopedLogCapture log;
    EXPECT_EQ(CtcModels::download(folder.path(), CtcModelVariant::ctc110m, false), folder.path());
    EXPECT_TRUE(log.contains("CTC models already present at: " + folder.path().string()));
}

TEST(CtcModels, ReadsTheVocabularyKeysThatParse) {
    struct Case {
        const char* name;
        std::string json;
        Vocabulary expected;
    };
    const std::vector<Case> cases = {
        {"bad key skipped", R"({"0": "a", "x": "b", "2": "c", "+3": "d"})", {{0, "a"}, {2, "c"}, {3, "d"}}},
        {"a number value", R"({"0": "a", "1": 5})", {}},
        {"an array", R"(["a", "b"])", {}},
    };
    for (const auto& c : cases) {
        testsupport::TemporaryDirectory folder;
        folder.write("vocab.json", c.json);
        platform::ScopedLogCapture log;
        EXPECT_EQ(CtcModels::loadVocabulary(folder.path()), c.expected) << c.name;
        EXPECT_TRUE(log.contains("Loaded CTC vocabulary with " + std::to_string(c.expected.size()) + " tokens from " +
                                 (folder / "vocab.json").string()))
            << c.name;
    }
    testsupport::TemporaryDirectory empty;
    try {
        CtcModels::loadVocabulary(empty.path());
        FAIL();
    } catch (const AsrModelsError& error) {
        EXPECT_EQ(error.description(), "ASR model 'vocab.json' not found at: " + (empty / "vocab.json").string());
    }
    empty.write("vocab.json", "{not json");
    EXPECT_THROW(CtcModels::loadVocabulary(empty.path()), nlohmann::json::parse_error);
}

TEST(CtcModels, LoadsDirectlyFromTheFolder) {
    using platform::coreml::MLModelBackendRegistry;
    testsupport::TemporaryDirectory folder;
    const auto mel = folder / "MelSpectrogram.mlmodelc";
    const auto encoder = folder / "AudioEncoder.mlmodelc";
    folder.write("vocab.json", R"({"0": "a", "1": "b"})");
    try {
        CtcModels::loadDirect(folder.path(), CtcModelVariant::ctc110m);
        FAIL();
    } catch (const AsrModelsError& error) {
        EXPECT_EQ(error.description(), "ASR model 'MelSpectrogram' not found at: " + mel.string());
    }
    platform::coreml::ScriptedModelBackend::writeCompiledModelFolder(mel);
    platform::coreml::ScriptedModelBackend::writeCompiledModelFolder(encoder);
    auto& registry = MLModelBackendRegistry::shared();
    const auto frontEnd = scriptedctc::frontEnd({});
    const auto audioEncoder = scriptedctc::encoder({});
    const auto melRegistration =
        registry.registerBackend(MLModelBackendRegistry::forPath(mel), [frontEnd](const auto&, const auto&) { return frontEnd; });
    const auto encoderRegistration = registry.registerBackend(
        MLModelBackendRegistry::forPath(encoder), [audioEncoder](const auto&, const auto&) { return audioEncoder; });

    platform::ScopedLogCapture log;
    const auto models = CtcModels::loadDirect(folder.path(), CtcModelVariant::ctc06b);
    EXPECT_EQ(models.variant, CtcModelVariant::ctc06b);
    EXPECT_EQ(models.vocabulary.size(), 2u);
    EXPECT_TRUE(models.melSpectrogram.modelDescription().inputDescriptionsByName.contains("audio"));
    EXPECT_TRUE(log.contains("Loaded MelSpectrogram directly from: " + mel.string()));
    EXPECT_TRUE(log.contains("CTC models loaded with computeUnits: cpuAndNeuralEngine"));
    EXPECT_TRUE(log.contains("Successfully loaded CTC models directly (2 vocab tokens)"));
}

} // namespace
