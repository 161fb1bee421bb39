#include "Hushframe/Core/Hushframe.hpp"
#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/WhisperError.hpp"
#include "tests/Hushframe/Core/PackageLogCapture.hpp"
#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace hushframe {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using modelhubkit::testing::TinyHub;

class HushframeModelSetupTests : public ::testing::Test {
protected:
    TinyHub hub;
    testsupport::TemporaryDirectory temp;

    modelhubkit::HubApi::Services services() const { return {nullptr, hub.network}; }

    void addBuild(const std::string& folder) {
        for (const std::string model : {"MelSpectrogram", "AudioEncoder", "TextDecoder"}) {
            hub.setFile(folder + "/" + model + ".mlmodelc/coremldata.bin", model);
        }
    }

    fs::path download(const std::string& variant) {
        return Hushframe::download(variant, temp.path(), false, TinyHub::repoId, std::nullopt, hub.endpoint(), {},
                                   services());
    }
};

TEST_F(HushframeModelSetupTests, DownloadTakesTheOneFolderMatchingTheVariant) {
    addBuild("openai_whisper-tiny");
    addBuild("openai_whisper-tiny.en");
    int progressCalls = 0;

    const fs::path folder = Hushframe::download("tiny", temp.path(), false, TinyHub::repoId, std::nullopt,
                                                hub.endpoint(), [&](const auto&) { ++progressCalls; }, services());

    EXPECT_EQ(folder, temp.path() / "models" / "owner" / "tiny" / "openai_whisper-tiny");
    EXPECT_TRUE(fs::exists(folder / "TextDecoder.mlmodelc" / "coremldata.bin"));
    EXPECT_FALSE(fs::exists(folder.parent_path() / "openai_whisper-tiny.en"));
    EXPECT_GT(progressCalls, 0);
}

TEST_F(HushframeModelSetupTests, SecondPatternSettlesSeveralMatches) {
    addBuild("openai_whisper-base");
    addBuild("distil_whisper-base");
    ::hushframe::testing::PackageLogCapture log;

    EXPECT_EQ(download("base").filename(), "openai_whisper-base");
    EXPECT_THAT(log.messages(), Contains("Multiple models found matching \"*base/*\""));
}

TEST_F(HushframeModelSetupTests, NoOrSeveralFoldersFailWithTheSecondPattern) {
    addBuild("openai_whisper-small");
    addBuild("openai_other-small");
    struct Case {
        std::string variant;
        std::string message;
    };
    for (const auto& [variant, message] : {Case{"large", "No models found matching \"*openai*large/*\""},
                                           Case{"small", "Multiple models found matching \"*openai*small/*\""}}) {
        try {
            download(variant);
            ADD_FAILURE() << variant;
        } catch (const WhisperError& error) {
            EXPECT_EQ(error.kind(), WhisperErrorKind::modelsUnavailable);
            EXPECT_THAT(error.message(), StartsWith(message));
            EXPECT_THAT(error.message(), HasSubstr("owner/tiny"));
        }
    }
}

TEST_F(HushframeModelSetupTests, ConstructionDownloadsTheNamedModelWithoutLoadingIt) {
    addBuild("openai_whisper-tiny");
    HushframeConfig config;
    config.model = "tiny";
    config.modelRepo = TinyHub::repoId;
    config.modelEndpoint = hub.endpoint();
    config.downloadBase = temp.path();
    config.verbose = false;

    const auto pipeline = Hushframe::create(config, services());

    EXPECT_EQ(pipeline->modelFolder(), temp.path() / "models" / "owner" / "tiny" / "openai_whisper-tiny");
    EXPECT_EQ(pipeline->modelState(), pelluxcore::ModelState::unloaded);
    EXPECT_EQ(pipeline->tokenizerFolder(), temp.path());
}

TEST_F(HushframeModelSetupTests, ConstructionReportsAModelThatCannotBeFound) {
    addBuild("openai_whisper-tiny");
    HushframeConfig config;
    config.model = "medium";
    config.modelRepo = TinyHub::repoId;
    config.modelEndpoint = hub.endpoint();
    config.downloadBase = temp.path();
    config.verbose = false;

    try {
        Hushframe::create(config, services());
        ADD_FAILURE() << "construction succeeded";
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperErrorKind::modelsUnavailable);
        EXPECT_THAT(error.message(), StartsWith("Model not found. Please check the model or repo name and try "
                                                "again.\nError: No models found matching \"*openai*medium/*\""));
    }
}

TEST_F(HushframeModelSetupTests, ModelSupportFallsBackWhenTheRepositoryHasNone) {
    addBuild("openai_whisper-tiny");
    ::hushframe::testing::PackageLogCapture log(pelluxcore::Logging::LogLevel::info);

    const auto config = Hushframe::fetchModelSupportConfig(TinyHub::repoId, temp.path(), std::nullopt, "config.json",
                                                           hub.endpoint(), services());

    EXPECT_EQ(config, Constants::fallbackModelSupportConfig());
    EXPECT_THAT(log.messages(),
                Contains("No config files found matching \"config.json\" in owner/tiny, using fallback"));
}

TEST_F(HushframeModelSetupTests, ModelSupportIsReadFromTheRepository) {
    const nlohmann::ordered_json stored = Constants::fallbackModelSupportConfig();
    auto changed = stored;
    changed["version"] = "9.9";
    hub.setFile("config.json", changed.dump());

    const auto config = Hushframe::fetchModelSupportConfig(TinyHub::repoId, temp.path(), std::nullopt, "config.json",
                                                           hub.endpoint(), services());

    EXPECT_EQ(nlohmann::ordered_json(config)["version"], "9.9");
    EXPECT_TRUE(Hushframe::fetchAvailableModels(TinyHub::repoId, {}, temp.path(), std::nullopt, "config.json",
                                                hub.endpoint(), services())
                    .empty());
}

// A configuration no hub should serve: too deep, or far too large (here a
// valid one padded past the cap). The fallback is used and the log says why.
TEST_F(HushframeModelSetupTests, HostileModelSupportConfigsFallBackWithTheReasonLogged) {
    nlohmann::ordered_json changed = Constants::fallbackModelSupportConfig();
    changed["version"] = "9.9";
    const std::size_t cap = 4u << 20;
    struct Case {
        const char* name;
        std::string contents;
        std::string reason;
    };
    const Case cases[] = {
        {"nested 60000 deep", std::string(60000, '[') + std::string(60000, ']'),
         "JSON nested more than 128 levels deep"},
        {"larger than the cap", changed.dump() + std::string(cap, ' '), "is larger than 4194304 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TemporaryDirectory downloads;
        hub.setFile("config.json", c.contents);
        ::hushframe::testing::PackageLogCapture log(pelluxcore::Logging::LogLevel::info);
        const auto config = Hushframe::fetchModelSupportConfig(TinyHub::repoId, downloads.path(), std::nullopt,
                                                               "config.json", hub.endpoint(), services());
        EXPECT_EQ(config, Constants::fallbackModelSupportConfig());
        EXPECT_THAT(log.messages(), Contains(AllOf(StartsWith("Fetch model support config failed with error: "),
                                                   HasSubstr(c.reason))));
    }
}

TEST_F(HushframeModelSetupTests, AGivenFolderNeedsNoHub) {
    HushframeConfig config;
    config.modelFolder = (temp / "anywhere").string();
    config.modelEndpoint = hub.endpoint();
    config.load = false;
    config.verbose = false;

    const auto pipeline = Hushframe::create(config, services());

    EXPECT_EQ(pipeline->modelFolder(), temp / "anywhere");
    EXPECT_EQ(hub.headRequests(), 0u);
    EXPECT_TRUE(hub.fileDownloads().empty());
}

} // namespace
} // namespace hushframe
