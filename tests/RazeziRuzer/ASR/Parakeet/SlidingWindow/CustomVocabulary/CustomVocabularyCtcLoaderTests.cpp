#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/CustomVocabularyCtcLoader.hpp"

#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/ScriptedCtcModels.hpp"
#include "tests/RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/TokenizerFixture.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

using namespace razeziruzer;

namespace {

// A complete model folder in the cache, so nothing is downloaded.
TEST(CustomVocabularyCtcLoader, TokenisesEveryTermWithTheModelsTokenizer) {
    using platform::coreml::MLModelBackendRegistry;
    testsupport::TemporaryDirectory home;
    testsupport::ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", home.path().string());
    const auto folder = CtcModels::defaultCacheDirectory(CtcModelVariant::ctc110m);
    platform::coreml::ScriptedModelBackend::writeCompiledModelFolder(folder / "MelSpectrogram.mlmodelc");
    platform::coreml::ScriptedModelBackend::writeCompiledModelFolder(folder / "AudioEncoder.mlmodelc");
    std::filesystem::create_directories(folder);
    home.write((folder / "vocab.json").lexically_relative(home.path()).string(), R"({"0": "a"})");
    auto& registry = MLModelBackendRegistry::shared();
    const auto frontEnd = scriptedctc::frontEnd({});
    const auto encoder = scriptedctc::encoder({});
    const auto melRegistration = registry.registerBackend(MLModelBackendRegistry::forPath(folder / "MelSpectrogram.mlmodelc"),
                                                          [frontEnd](const auto&, const auto&) { return frontEnd; });
    const auto encoderRegistration = registry.registerBackend(
        MLModelBackendRegistry::forPath(folder / "AudioEncoder.mlmodelc"), [encoder](const auto&, const auto&) { return encoder; });

    // Without the word-start mark and "<unk>" in the vocabulary, a term of
    // unknown letters encodes to nothing and is dropped.
    auto json = tokenizerfixture::tinyTokenizer();
    json["model"]["vocab"].erase(tokenizerfixture::mark);
    json["model"]["vocab"].erase("<unk>");
    json["model"]["merges"] = nlohmann::json::array({"h e"});
    home.write((folder / "tokenizer.json").lexically_relative(home.path()).string(), json.dump());
    const auto file = home.write("terms.txt", "He: hey\n\xC3\xA9\xC3\xA9\xC3\xA9\nab\n");

    const auto loaded = loadWithCtcTokens(file.string(), CtcModelVariant::ctc110m);
    ASSERT_EQ(loaded.vocab.terms.size(), 2u);
    EXPECT_EQ(loaded.vocab.terms[0].text(), "He");
    EXPECT_EQ(loaded.vocab.terms[0].ctcTokenIds(), std::vector<std::int64_t>{28});
    EXPECT_EQ(loaded.vocab.terms[0].aliases(), std::vector<std::string>{"hey"});
    EXPECT_FALSE(loaded.vocab.terms[0].tokenIds());
    EXPECT_EQ(loaded.vocab.terms[1].ctcTokenIds(), (std::vector<std::int64_t>{1, 2}));
    EXPECT_EQ(loaded.vocab.minTermLength, 3);
    EXPECT_EQ(loaded.models.vocabulary.size(), 1u);
}

} // namespace
