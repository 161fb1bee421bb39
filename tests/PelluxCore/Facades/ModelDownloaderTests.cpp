#include "PelluxCore/ModelDownloader.hpp"

#include "PelluxCore/ModelDownloaderError.hpp"
#include "tests/PelluxCore/Facades/CapturedLog.hpp"
#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace pelluxcore {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using modelhubkit::testing::TinyHub;
using platform::coreml::MLComputeUnits;
using testing::CapturedLog;

const ModelInfo whisperBase{"v1", "base", "whisper", MLComputeUnits::all};

std::string unavailableMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (const ModelDownloaderError& error) {
        EXPECT_EQ(error.kind(), ModelDownloaderErrorKind::modelUnavailable);
        EXPECT_EQ(error.description(), error.message());
        return error.message();
    }
    ADD_FAILURE() << "no ModelDownloaderError";
    return {};
}

class ModelDownloaderTest : public ::testing::Test {
protected:
    ModelDownloaderTest() {
        hub.setFile("config.json", "{}");
        hub.setFile("whisper/v1/base/Encoder.mlmodelc/coremldata.bin", "encoder");
        hub.setFile("whisper/v1/base/Decoder.mlpackage/Data/zar.apple.CoreML/model.mlmodel", "decoder");
        hub.setFile("whisper/current/base/Joiner.mlmodelc/coremldata.bin", "joiner");
    }

    ModelDownloadConfig config(std::optional<std::string> modelFolder = std::nullopt) const {
        return ModelDownloadConfig{base.path().string(), TinyHub::repoId, std::string(), std::move(modelFolder),
                                   false, hub.endpoint(), "main"};
    }
    ModelDownloader downloader(std::optional<std::string> modelFolder = std::nullopt) const {
        return ModelDownloader(config(std::move(modelFolder)), modelhubkit::HubApi::Services{nullptr, hub.network});
    }
    fs::path repoFolder() const { return base.path() / "models/owner/tiny"; }
    std::size_t requests() const { return hub.server.requests().size(); }

    TinyHub hub;
    testsupport::TemporaryDirectory base;
    std::vector<ModelState> reported;
    ModelDownloader::ModelStateCallback report = [this](ModelState state) { reported.push_back(state); };
};

TEST_F(ModelDownloaderTest, SecondInitialiserLeavesTheFoldersOut) {
    const ModelDownloader made("http://127.0.0.1:9", "a/b", std::string("token"), "rev", true);
    EXPECT_EQ(made.config(), (ModelDownloadConfig{std::nullopt, "a/b", std::string("token"), std::nullopt, true,
                                                  "http://127.0.0.1:9", "rev"}));
}

TEST_F(ModelDownloaderTest, LocalRepoLocationUsesTheArgumentThenTheConfiguredBase) {
    const testsupport::TemporaryDirectory other;
    EXPECT_EQ(downloader().localRepoLocation(std::nullopt), repoFolder());
    EXPECT_EQ(downloader().localRepoLocation(other.path()), other.path() / "models/owner/tiny");
    const ModelDownloader unconfigured(hub.endpoint(), TinyHub::repoId, std::string(), "main", false);
    EXPECT_TRUE(unconfigured.localRepoLocation(std::nullopt).string().ends_with("huggingface/models/owner/tiny"));
}

TEST_F(ModelDownloaderTest, AModelInTheModelFolderIsReturnedWithoutHubOrCallback) {
    const testsupport::TemporaryDirectory folder;
    folder.write("whisper/v1/base/Encoder.mlmodelc/coremldata.bin", "local");
    const fs::path expected = folder.path() / "whisper/v1/base/Encoder.mlmodelc";
    const CapturedLog log;

    EXPECT_EQ(downloader().resolveModel("Encoder", whisperBase, folder.path(), std::nullopt, false, report), expected);
    EXPECT_EQ(downloader(folder.path().string()).resolveModel("Encoder", whisperBase, std::nullopt, std::nullopt,
                                                              false, report),
              expected);
    EXPECT_THAT(reported, IsEmpty());
    EXPECT_EQ(requests(), 0u);
    EXPECT_TRUE(log.contains("[ModelDownloader] Found Encoder in model folder"));
}

TEST_F(ModelDownloaderTest, DownloadsAfterACacheMissThenAnswersFromTheCache) {
    const CapturedLog log;
    const fs::path expected = repoFolder() / "whisper/v1/base/Encoder.mlmodelc";

    EXPECT_EQ(downloader().resolveModel("Encoder", whisperBase, std::nullopt, std::nullopt, true, report), expected);
    EXPECT_THAT(reported, ElementsAre(ModelState::downloading, ModelState::downloaded));
    // The empty offline listing failed the probe; that counted as a miss.
    EXPECT_TRUE(log.contains(
        "[ModelDownloader] Searching for models matching \"whisper/v1/base/*\" in models/owner/tiny"));
    EXPECT_TRUE(log.contains("[ModelDownloader] Downloading model whisper/v1/base/* with offline mode: false"));
    EXPECT_TRUE(log.contains("[ModelDownloader] Downloaded Encoder"));
    EXPECT_THAT(hub.fileDownloads(),
                ElementsAre("whisper/v1/base/Decoder.mlpackage/Data/zar.apple.CoreML/model.mlmodel",
                            "whisper/v1/base/Encoder.mlmodelc/coremldata.bin"));

    reported.clear();
    const std::size_t before = requests();
    EXPECT_EQ(downloader().resolveModel("Encoder", whisperBase, std::nullopt, std::nullopt, false, report), expected);
    EXPECT_EQ(downloader().resolveModelPath("Decoder", whisperBase, std::nullopt, std::nullopt, false, report),
              (repoFolder() / "whisper/v1/base/Decoder.mlpackage/Data/zar.apple.CoreML/model.mlmodel").string());
    EXPECT_THAT(reported, ElementsAre(ModelState::downloaded, ModelState::downloaded));
    EXPECT_TRUE(log.contains("[ModelDownloader] Found existing Encoder in cache"));
    EXPECT_EQ(requests(), before);
}

TEST_F(ModelDownloaderTest, NothingAnywhereAndDownloadDisabledFailsAfterTheOfflineProbe) {
    EXPECT_EQ(unavailableMessage([&] {
                  downloader().resolveModel("Encoder", whisperBase, std::nullopt, std::nullopt, false, report);
              }),
              "No model found for Encoder (download disabled)");
    EXPECT_THAT(reported, IsEmpty());
    EXPECT_EQ(requests(), 0u);
}

TEST_F(ModelDownloaderTest, AModelOutsideTheCandidateFolderIsNotFoundAfterDownload) {
    // No version: the pattern whisper/*/base/* fetches whisper/current/base, but
    // the model is looked for in whisper/base.
    const ModelInfo versionless{std::nullopt, "base", "whisper", MLComputeUnits::all};
    EXPECT_EQ(unavailableMessage([&] {
                  downloader().resolveModel("Joiner", versionless, std::nullopt, std::nullopt, true, report);
              }),
              "No model found for Joiner");
    EXPECT_THAT(reported, ElementsAre(ModelState::downloading));
    EXPECT_TRUE(fs::exists(repoFolder() / "whisper/current/base/Joiner.mlmodelc/coremldata.bin"));
}

TEST_F(ModelDownloaderTest, HubErrorsOfTheDownloadPassThroughWithoutAState) {
    hub.failFilesWith(testsupport::HttpTestReply::text(500, "broken"));
    EXPECT_ANY_THROW(downloader().resolveModel("Encoder", whisperBase, std::nullopt, std::nullopt, true, report));
    EXPECT_THAT(reported, ElementsAre(ModelState::downloading));
}

TEST_F(ModelDownloaderTest, OfflineDownloadOfAnUnstoredModelNamesPatternAndRepository) {
    const ModelInfo current{"current", "base", "whisper", MLComputeUnits::all};
    EXPECT_EQ(downloader().downloadModel(current, std::nullopt, false), repoFolder());
    EXPECT_EQ(unavailableMessage([&] { downloader().downloadModel(whisperBase, std::nullopt, true); }),
              "No models found matching \"whisper/v1/base/*\" in owner/tiny");
    EXPECT_EQ(downloader().downloadModel(whisperBase, std::nullopt, std::nullopt), repoFolder());
    EXPECT_EQ(downloader().downloadModel(whisperBase, std::nullopt, true), repoFolder());
}

TEST_F(ModelDownloaderTest, ResolveRepoDownloadsOnlyWhatTheLiteralFoldersLack) {
    const CapturedLog log;
    // Nothing to look for: the local folder at once, though it does not exist.
    EXPECT_EQ(downloader().resolveRepo({}, std::nullopt, false, {}), repoFolder());
    EXPECT_FALSE(fs::exists(repoFolder()));

    const std::string disabled = "No local models found for repo 'owner/tiny' and download is disabled.";
    EXPECT_EQ(unavailableMessage([&] { downloader().resolveRepo({"whisper/v1/*"}, std::nullopt, false, {}); }),
              disabled);

    std::vector<modelhubkit::Progress> progress;
    const auto track = [&](const modelhubkit::Progress& p) { progress.push_back(p); };
    EXPECT_EQ(downloader().resolveRepo({"whisper/v1/*", "config.json"}, std::nullopt, true, track), repoFolder());
    EXPECT_FALSE(progress.empty());
    EXPECT_TRUE(log.contains("[ModelDownloader] Downloading 2 model(s) from owner/tiny..."));
    EXPECT_TRUE(log.contains("[ModelDownloader] Download complete: " + repoFolder().string()));

    struct Case {
        std::vector<std::string> patterns;
        bool present;
    };
    const Case cases[] = {
        {{"whisper/v1/*"}, true},
        {{"/whisper//v1/base/*"}, true},
        {{"whisper/v1/base/Encoder.mlmodelc/*", "whisper/*"}, true},
        // The wildcard part is never examined.
        {{"whisper/v1/nothing*"}, true},
        // No literal folder, or a plain file, never counts as present.
        {{"*/base/*"}, false},
        {{"config.json"}, false},
        {{"whisper/v2/*"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.patterns.front());
        const std::size_t before = requests();
        if (c.present) {
            EXPECT_EQ(downloader().resolveRepo(c.patterns, std::nullopt, false, {}), repoFolder());
        } else {
            EXPECT_EQ(unavailableMessage([&] { downloader().resolveRepo(c.patterns, std::nullopt, false, {}); }),
                      disabled);
            EXPECT_EQ(downloader().resolveRepo(c.patterns, std::nullopt, true, {}), repoFolder());
        }
        EXPECT_EQ(requests() > before, !c.present);
    }
}

TEST_F(ModelDownloaderTest, FetchFilenamesListsTheRemoteMatches) {
    EXPECT_THAT(downloader().fetchFilenames({"*/current/*", "config.json"}, std::nullopt),
                ::testing::UnorderedElementsAre("config.json", "whisper/current/base/Joiner.mlmodelc/coremldata.bin"));
}

class RedirectingDownloader : public ModelDownloader {
public:
    using ModelDownloader::ModelDownloader;
    fs::path resolveModel(const std::string& name, const ModelInfo&, const std::optional<fs::path>&,
                          const std::optional<fs::path>&, bool, const ModelStateCallback&) const override {
        return fs::path("/elsewhere") / name;
    }
};

TEST_F(ModelDownloaderTest, ResolveModelPathUsesTheSubclassResolution) {
    const RedirectingDownloader redirecting(config(), modelhubkit::HubApi::Services{nullptr, hub.network});
    EXPECT_EQ(redirecting.resolveModelPath("Encoder", whisperBase, std::nullopt, std::nullopt, true, {}),
              "/elsewhere/Encoder");
    EXPECT_EQ(requests(), 0u);
}

} // namespace
} // namespace pelluxcore
