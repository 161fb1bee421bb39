#include "Hushframe/Core/Hushframe.hpp"
#include "Hushframe/Core/Models/ModelUtilities.hpp"
#include "Hushframe/Core/Models/WhisperMLModel.hpp"
#include "Hushframe/Core/Models/WhisperTokenizerWrapper.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "PelluxCore/ModelHubKit/Hub/FakeNetworkMonitor.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"
#include "tests/Hushframe/Main/WhisperModelFolder.hpp"
#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace hushframe {
namespace {

namespace fs = std::filesystem;
using pelluxcore::ModelState;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::hushframe::testing::ModelSizes;
using ::hushframe::testing::WhisperModelFolder;
using ::hushframe::testing::writeTokenizerFiles;

using Transition = std::pair<std::optional<ModelState>, ModelState>;

// Every hub client made here sees no network; a tokenizer that is not found
// locally therefore fails instead of reaching out.
modelhubkit::HubApi::Services offline() {
    return {nullptr, std::make_shared<modelhubkit::FakeNetworkMonitor>(false)};
}

HushframeConfig localConfig(const fs::path& folder, std::optional<bool> load = false) {
    HushframeConfig config;
    config.modelFolder = folder.string();
    config.load = load;
    config.download = false;
    config.verbose = false;
    return config;
}

class HushframeModelLoadingTests : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory temp;
    WhisperModelFolder models{temp / "models"};
    testsupport::ScopedEnvironment environment;

    HushframeModelLoadingTests() { environment.set("HF_HOME", (temp / "hf-home").string()); }

    std::shared_ptr<Hushframe> make(HushframeConfig config) {
        if (!config.tokenizerFolder) config.tokenizerFolder = temp / "tokenizers";
        return Hushframe::create(config, offline());
    }

    std::vector<Transition> transitions;
    void record(Hushframe& pipeline) {
        pipeline.setModelStateCallback([this](auto old, auto state) { transitions.emplace_back(old, state); });
    }
};

TEST_F(HushframeModelLoadingTests, CachedModelsAndTokenizerStartWithTheNetworkOff) {
    modelhubkit::testing::TinyHub hub;
    hub.network->setSatisfied(false);
    environment.set("HF_ENDPOINT", hub.endpoint());
    writeTokenizerFiles(models.path());

    const auto pipeline = make(localConfig(models.path(), std::nullopt));

    EXPECT_EQ(pipeline->modelState(), ModelState::loaded);
    EXPECT_EQ(pipeline->modelVariant(), ModelVariant::tiny);
    ASSERT_NE(pipeline->tokenizer(), nullptr);
    EXPECT_EQ(pipeline->textDecoder()->tokenizer(), pipeline->tokenizer());
    EXPECT_TRUE(pipeline->textDecoder()->isModelMultilingual());
    const auto* wrapper = dynamic_cast<const WhisperTokenizerWrapper*>(pipeline->tokenizer().get());
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->tokenizerFolder(), models.path());
    EXPECT_TRUE(hub.fileDownloads().empty());
    EXPECT_EQ(hub.headRequests(), 0u);
}

TEST_F(HushframeModelLoadingTests, VocabularyAndEncoderWidthChooseVariantAndTokenizer) {
    struct Case {
        ModelSizes sizes;
        ModelVariant variant;
        bool multilingual;
    };
    for (const auto& [sizes, variant, multilingual] : {Case{{51866, 640}, ModelVariant::largev3, true},
                                                       Case{{51864, 384}, ModelVariant::tinyEn, false},
                                                       Case{{51865, 768}, ModelVariant::small, true}}) {
        testsupport::TemporaryDirectory folder;
        WhisperModelFolder build(folder / "build", sizes);
        // The tokenizer lives where the hub would have put that variant's repository.
        writeTokenizerFiles(temp / "tokenizers" / "models" / ModelUtilities::tokenizerNameForVariant(variant));

        const auto pipeline = make(localConfig(build.path(), true));

        EXPECT_EQ(pipeline->modelVariant(), variant);
        EXPECT_EQ(pipeline->textDecoder()->isModelMultilingual(), multilingual);
        EXPECT_NE(pipeline->tokenizer(), nullptr);
    }
}

TEST_F(HushframeModelLoadingTests, PrewarmLoadsEachModelOnceAndKeepsNone) {
    auto config = localConfig(models.path());
    config.prewarm = true;
    const auto pipeline = make(config);

    EXPECT_EQ(pipeline->modelState(), ModelState::prewarmed);
    EXPECT_EQ(pipeline->tokenizer(), nullptr);
    EXPECT_FALSE(pipeline->textDecoder()->logitsSize());
    const auto timings = pipeline->currentTimings();
    EXPECT_GT(timings.prewarmLoadTime, 0);
    EXPECT_GT(timings.decoderSpecializationTime, 0);
    EXPECT_GT(timings.encoderSpecializationTime, 0);
    EXPECT_EQ(timings.decoderLoadTime, 0);
    EXPECT_EQ(timings.encoderLoadTime, 0);

    writeTokenizerFiles(models.path());
    record(*pipeline);
    pipeline->loadModels(false);
    EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::prewarmed, ModelState::loading},
                                         Transition{ModelState::loading, ModelState::loaded}));
    const auto loaded = pipeline->currentTimings();
    EXPECT_GE(loaded.modelLoading, loaded.prewarmLoadTime + loaded.decoderLoadTime);
    EXPECT_GT(loaded.tokenizerLoadTime, 0);
}

TEST_F(HushframeModelLoadingTests, FailedLoadsReleaseTheModelsAndEndUnloaded) {
    struct Case {
        std::string name;
        std::function<void(const fs::path&)> damage;
        std::string message;
    };
    const std::vector<Case> cases{
        {"missing encoder", [](const fs::path& f) { fs::remove_all(f / "AudioEncoder.mlmodelc"); },
         "Model file not found at "},
        {"damaged decoder", [](const fs::path& f) { fs::remove(f / "TextDecoder.mlmodelc" / "coremldata.bin"); }, ""},
        {"no tokenizer anywhere", [](const fs::path&) {}, ""},
    };
    for (const auto& [name, damage, message] : cases) {
        SCOPED_TRACE(name);
        testsupport::TemporaryDirectory folder;
        WhisperModelFolder build(folder / "build");
        damage(build.path());
        const auto pipeline = make(localConfig(build.path()));
        transitions.clear();
        record(*pipeline);

        try {
            pipeline->loadModels(false);
            ADD_FAILURE() << "load succeeded";
        } catch (const std::exception& error) {
            EXPECT_THAT(error.what(), HasSubstr(message));
        }
        EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::unloaded, ModelState::loading},
                                             Transition{ModelState::loading, ModelState::unloaded}));
        EXPECT_FALSE(dynamic_cast<WhisperMLModel&>(*pipeline->featureExtractor()).model());
        EXPECT_FALSE(pipeline->textDecoder()->logitsSize());
        EXPECT_FALSE(pipeline->audioEncoder()->embedSize());
    }
}

TEST_F(HushframeModelLoadingTests, MissingModelFolderFailsAndEndsUnloaded) {
    HushframeConfig config;
    config.download = false;
    config.verbose = false;
    const auto pipeline = make(config);
    EXPECT_EQ(pipeline->modelState(), ModelState::unloaded);
    EXPECT_FALSE(pipeline->modelFolder());

    record(*pipeline);
    try {
        pipeline->prewarmModels();
        ADD_FAILURE() << "prewarm succeeded";
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperErrorKind::modelsUnavailable);
        EXPECT_EQ(error.message(), "Model folder is not set.");
    }
    EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::unloaded, ModelState::prewarming},
                                         Transition{ModelState::prewarming, ModelState::unloaded}));
}

TEST_F(HushframeModelLoadingTests, UnloadThenLoadFetchesTheTokenizerAgain) {
    writeTokenizerFiles(models.path());
    const auto pipeline = make(localConfig(models.path(), true));
    const auto first = pipeline->tokenizer();

    record(*pipeline);
    pipeline->unloadModels();
    EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::loaded, ModelState::unloading},
                                         Transition{ModelState::unloading, ModelState::unloaded}));
    EXPECT_FALSE(pipeline->textDecoder()->logitsSize());

    pipeline->loadModels(false);
    EXPECT_EQ(pipeline->modelState(), ModelState::loaded);
    EXPECT_NE(pipeline->tokenizer(), first);
    EXPECT_EQ(pipeline->textDecoder()->tokenizer(), pipeline->tokenizer());
}

TEST_F(HushframeModelLoadingTests, AnotherModelFolderBringsItsOwnVariantAndTokenizer) {
    writeTokenizerFiles(models.path());
    const auto pipeline = make(localConfig(models.path(), true));
    ASSERT_TRUE(pipeline->textDecoder()->isModelMultilingual());

    testsupport::TemporaryDirectory other;
    WhisperModelFolder english(other / "english", {51864, 512});
    writeTokenizerFiles(english.path());
    pipeline->setModelFolder(english.path());
    pipeline->loadModels(false);

    EXPECT_EQ(pipeline->modelVariant(), ModelVariant::baseEn);
    EXPECT_FALSE(pipeline->textDecoder()->isModelMultilingual());
    const auto* wrapper = dynamic_cast<const WhisperTokenizerWrapper*>(pipeline->tokenizer().get());
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->tokenizerFolder(), english.path());
}

TEST_F(HushframeModelLoadingTests, CallerTokenizerIsKeptAcrossLoads) {
    const auto pipeline = make(localConfig(models.path()));
    writeTokenizerFiles(temp / "own");
    auto own = std::make_shared<WhisperTokenizerWrapper>(modelhubkit::AutoTokenizer::from(temp / "own"), temp / "own");
    pipeline->setTokenizer(own);
    pipeline->loadModels(false);
    pipeline->unloadModels();
    pipeline->loadModels(false);

    EXPECT_EQ(pipeline->tokenizer(), own);
    EXPECT_EQ(pipeline->modelVariant(), ModelVariant::tiny);

    pipeline->setTokenizer(nullptr);
    EXPECT_EQ(pipeline->textDecoder()->tokenizer(), nullptr);
}

TEST_F(HushframeModelLoadingTests, AFolderWithOnlyTokenizerJsonIsPassedOver) {
    fs::create_directories(temp / "tokenizers");
    std::ofstream(temp / "tokenizers" / "tokenizer.json") << "{}";
    writeTokenizerFiles(models.path());
    ::hushframe::testing::PackageLogCapture log;
    auto config = localConfig(models.path(), true);
    config.verbose = true;
    config.logLevel = pelluxcore::Logging::LogLevel::debug;

    const auto pipeline = make(config);

    const auto* wrapper = dynamic_cast<const WhisperTokenizerWrapper*>(pipeline->tokenizer().get());
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(wrapper->tokenizerFolder(), models.path());
    EXPECT_THAT(log.messages(), Contains("Found local tokenizer at " + models.path().string()));
}

} // namespace
} // namespace hushframe
