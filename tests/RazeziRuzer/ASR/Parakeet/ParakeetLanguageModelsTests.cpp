#include "RazeziRuzer/ASR/Parakeet/ParakeetLanguageModels.hpp"

#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"
#include "tests/RazeziRuzer/Download/HubFixture.hpp"

#include <gtest/gtest.h>

namespace razeziruzer {
namespace {

using platform::coreml::MLModelBackendRegistry;
using platform::coreml::ScriptedModelBackend;

struct TestLanguage {
    static constexpr int blankTokenId = 1024;
    static constexpr Repo modelRepository = Repo::parakeetV2;
    static constexpr const char* modelSetName = "Testish";
    static constexpr const char* logCategory = "TestishModels";
    static constexpr const char* preprocessorFileName = "Preprocessor.mlmodelc";
    static constexpr const char* primaryEncoderFileName = "Encoder.mlmodelc";
    static constexpr const char* decoderFileName = "Decoder.mlmodelc";
    static constexpr const char* vocabularyFileName = "vocab_x.json";
    static inline const std::optional<std::string> jointFileName = std::nullopt;
    static constexpr bool hasEncoderPrecisionVariants = true;
    static inline const std::optional<std::string> fp32EncoderFileName = "EncoderFp32.mlmodelc";
};

using Models = ParakeetLanguageModels<TestLanguage>;

class ParakeetLanguageModelsTests : public downloadtest::HubFixture {
protected:
    ParakeetLanguageModelsTests() {
        for (const auto* name : {"Preprocessor.mlmodelc", "Encoder.mlmodelc", "EncoderFp32.mlmodelc", "Decoder.mlmodelc"}) {
            registrations.push_back(MLModelBackendRegistry::shared().registerBackend(
                MLModelBackendRegistry::forFileName(name), [](const auto&, const auto&) {
                    return std::make_shared<ScriptedModelBackend>(platform::coreml::MLModelDescription{},
                                                                  std::vector<ScriptedModelBackend::Outputs>{});
                }));
        }
    }

    std::filesystem::path set() const { return folder / "models" / "parakeet-tdt-0.6b-v2"; }

    std::vector<MLModelBackendRegistry::Registration> registrations;
};

TEST_F(ParakeetLanguageModelsTests, PresenceAcceptsEitherEncoderAndNeedsTheVocabulary) {
    for (const auto* name : {"Preprocessor.mlmodelc", "Decoder.mlmodelc"}) {
        ScriptedModelBackend::writeCompiledModelFolder(set() / name);
    }
    folder.write("models/parakeet-tdt-0.6b-v2/vocab_x.json", R"({"5":"a","-1":"b","k":"c","":"d"})");
    EXPECT_FALSE(Models::modelsExist(set()));
    ScriptedModelBackend::writeCompiledModelFolder(set() / "EncoderFp32.mlmodelc");
    EXPECT_TRUE(Models::modelsExist(set()));

    // The repository's own required set, so that loading needs no download.
    for (const auto* name : {"Encoder.mlmodelc", "JointDecision.mlmodelc"}) {
        ScriptedModelBackend::writeCompiledModelFolder(set() / name);
    }
    const auto loaded = Models::load(set(), false);
    EXPECT_EQ(loaded.vocabulary, (Vocabulary{{5, "a"}, {-1, "b"}}));
    EXPECT_EQ(loaded.blankId, 1024);
    EXPECT_FALSE(loaded.joint);
    EXPECT_TRUE(log.contains("Loaded preprocessor, encoder (fp32), decoder"));

    folder.write("models/parakeet-tdt-0.6b-v2/vocab_x.json", R"({"1":2})");
    try {
        Models::load(set(), false);
        ADD_FAILURE();
    } catch (const AsrModelsError& error) {
        EXPECT_EQ(error.description(),
                  "Failed to load ASR models: Failed to parse vocab.json - expected array or dictionary format");
    }
    std::filesystem::remove(set() / "vocab_x.json");
    EXPECT_FALSE(Models::modelsExist(set()));
}

} // namespace
} // namespace razeziruzer
