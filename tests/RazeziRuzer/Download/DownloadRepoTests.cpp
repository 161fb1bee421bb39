#include "RazeziRuzer/DownloadUtils.hpp"

#include "tests/RazeziRuzer/Download/HubFixture.hpp"

#include <atomic>

namespace razeziruzer::DownloadUtils {
namespace {

using downloadtest::directoryEntry;
using downloadtest::fileEntry;
using downloadtest::HubFixture;
using testsupport::HttpTestReply;

// The streaming diarizer's repository takes a variant as its one required
// name, which makes a small repository easy to describe.
constexpr auto flatRepo = Repo::sortformer;
const std::string flatRemote = "ZoviriVodovozav/diar-streaming-sortformer-coreml";
const std::string modelName = "Model.mlmodelc";

class DownloadRepoTests : public HubFixture {
protected:
    std::filesystem::path models() const { return folder / "models"; }
    std::filesystem::path repoFolder() const { return models() / "sortformer"; }

    void serveFlatRepository() {
        serveListing(flatRemote, "tree/main",
                     nlohmann::json::array({directoryEntry("Model.mlmodelc"), directoryEntry("Other.mlmodelc"),
                                            fileEntry("config.json", 6), fileEntry("README.md", 3)}));
        serveListing(flatRemote, "tree/main/Model.mlmodelc",
                     nlohmann::json::array({fileEntry("Model.mlmodelc/coremldata.bin", 4),
                                            directoryEntry("Model.mlmodelc/weights"),
                                            fileEntry("Model.mlmodelc/empty.txt", 0)}));
        serveListing(flatRemote, "tree/main/Model.mlmodelc/weights",
                     nlohmann::json::array({fileEntry("Model.mlmodelc/weights/weight.bin", 10)}));
        serveFile(flatRemote, "config.json", "config");
        serveFile(flatRemote, "Model.mlmodelc/coremldata.bin", "data");
        serveFile(flatRemote, "Model.mlmodelc/weights/weight.bin", "0123456789");
    }

    void download(std::vector<DownloadProgress>* progress = nullptr) {
        ProgressHandler handler;
        if (progress) handler = [progress](const DownloadProgress& p) { progress->push_back(p); };
        downloadRepo(flatRepo, models(), modelName, {}, handler);
    }

    template <typename Error, typename Check>
    void expectFailure(Check check) {
        try {
            download();
            FAIL() << "expected the download to fail";
        } catch (const Error& error) {
            check(error);
        }
    }
};

TEST_F(DownloadRepoTests, FetchesTheRequiredBundleAndItsCompanionsWithProgress) {
    serveFlatRepository();
    std::vector<DownloadProgress> progress;
    download(&progress);

    EXPECT_EQ(filesBelow(repoFolder()),
              (std::vector<std::string>{"Model.mlmodelc/coremldata.bin", "Model.mlmodelc/empty.txt",
                                        "Model.mlmodelc/weights/weight.bin", "config.json"}));
    EXPECT_EQ(folder.read("models/sortformer/Model.mlmodelc/weights/weight.bin"), "0123456789");
    const auto requested = requestedPaths();
    EXPECT_EQ(std::count(requested.begin(), requested.end(),
                         "/api/models/" + flatRemote + "/tree/main/Other.mlmodelc"), 0);
    EXPECT_EQ(std::count(requested.begin(), requested.end(),
                         "/" + flatRemote + "/resolve/main/Model.mlmodelc/empty.txt"), 0);

    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), (DownloadProgress{0, DownloadPhase::listing()}));
    EXPECT_EQ(progress.back(), (DownloadProgress{0.5, DownloadPhase::downloading(4, 4)}));
    for (std::size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GE(progress[i].fractionCompleted, progress[i - 1].fractionCompleted);
        EXPECT_LE(progress[i].fractionCompleted, 0.5);
    }
    EXPECT_TRUE(log.contains("Found 4 files to download"));
    EXPECT_TRUE(log.contains("Downloaded all required models for sortformer"));
}

TEST_F(DownloadRepoTests, ByteProgressIsCappedAtHalfAndCountsTheFileInProgress) {
    // The listing promises 2 + 2 bytes, but the first file brings 8: its byte
    // progress, 0.5 x 8 / 4, is held at 0.5. Byte progress counts the files
    // done before the current one; the report after each file counts it too.
    serveListing(flatRemote, "tree/main", nlohmann::json::array({directoryEntry("Model.mlmodelc")}));
    serveListing(flatRemote, "tree/main/Model.mlmodelc",
                 nlohmann::json::array({fileEntry("Model.mlmodelc/a.bin", 2), fileEntry("Model.mlmodelc/b.bin", 2)}));
    serveFile(flatRemote, "Model.mlmodelc/a.bin", "12345678");
    serveFile(flatRemote, "Model.mlmodelc/b.bin", "12");
    std::vector<DownloadProgress> progress;
    download(&progress);

    const std::vector<DownloadProgress> expected{{0, DownloadPhase::listing()},
                                                 {0.5, DownloadPhase::downloading(0, 2)},
                                                 {0.25, DownloadPhase::downloading(1, 2)},
                                                 {0.5, DownloadPhase::downloading(1, 2)},
                                                 {0.5, DownloadPhase::downloading(2, 2)}};
    EXPECT_EQ(progress, expected);
}

TEST_F(DownloadRepoTests, TheFileCountIsLoggedEveryTenFilesAndAfterTheLast) {
    nlohmann::json files = nlohmann::json::array();
    for (int i = 0; i < 25; ++i) {
        const auto path = "Model.mlmodelc/f" + std::to_string(100 + i) + ".bin";
        files.push_back(fileEntry(path, 1));
        serveFile(flatRemote, path, "x");
    }
    serveListing(flatRemote, "tree/main", nlohmann::json::array({directoryEntry("Model.mlmodelc")}));
    serveListing(flatRemote, "tree/main/Model.mlmodelc", files);
    const auto countLines = [this] {
        std::vector<std::string> lines;
        for (const auto& message : log.sink().messages()) {
            if (message.starts_with("Downloaded ") && message.ends_with(" files")) lines.push_back(message);
        }
        return lines;
    };

    download();
    EXPECT_EQ(countLines(), (std::vector<std::string>{"Downloaded 10/25 files", "Downloaded 20/25 files",
                                                      "Downloaded 25/25 files"}));

    // Again with only the 15th and the last file missing: the 20th is cached,
    // the last one brings the closing line.
    for (const int i : {14, 24}) {
        std::filesystem::remove(repoFolder() / ("Model.mlmodelc/f" + std::to_string(100 + i) + ".bin"));
    }
    log.sink().clear();
    download();
    EXPECT_EQ(countLines(), std::vector<std::string>{"Downloaded 25/25 files"});

    // With only the 10th missing its line is written; a cached last file writes none.
    std::filesystem::remove(repoFolder() / "Model.mlmodelc/f109.bin");
    log.sink().clear();
    download();
    EXPECT_EQ(countLines(), std::vector<std::string>{"Downloaded 10/25 files"});
}

TEST_F(DownloadRepoTests, ASecondRunOnlyListsAndReportsOnce) {
    serveFlatRepository();
    download();
    const auto firstRequests = server.requests().size();
    std::vector<DownloadProgress> progress;
    download(&progress);

    for (std::size_t i = firstRequests; i < server.requests().size(); ++i) {
        EXPECT_TRUE(server.requests()[i].path.starts_with("/api/models/")) << server.requests()[i].path;
    }
    EXPECT_EQ(progress, (std::vector<DownloadProgress>{{0, DownloadPhase::listing()}}));
}

TEST_F(DownloadRepoTests, OfflineRefusesBeforeAnythingHappens) {
    enforceOffline = true;
    expectFailure<OfflineError>([](const OfflineError& error) {
        EXPECT_EQ(error.description(), "RazeziRuzer offline mode: downloadRepo(sortformer) blocked");
    });
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(std::filesystem::exists(models()));
}

TEST_F(DownloadRepoTests, ARequiredNameMissingFromTheHubFailsAfterTheOtherFiles) {
    serveListing(flatRemote, "tree/main", nlohmann::json::array({fileEntry("config.json", 6)}));
    serveFile(flatRemote, "config.json", "config");
    expectFailure<HuggingFaceDownloadError>([](const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.description(), "Model file not found: Model.mlmodelc");
    });
    EXPECT_EQ(filesBelow(repoFolder()), (std::vector<std::string>{"config.json"}));
}

TEST_F(DownloadRepoTests, BadListingsFailWithoutRetry) {
    server.reply("/api/models/" + flatRemote + "/tree/main", HttpTestReply::text(503, "busy"));
    expectFailure<HuggingFaceDownloadError>([](const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::rateLimited);
        EXPECT_EQ(error.description(), "Hugging Face rate limit encountered: Rate limited while listing files");
    });
    EXPECT_EQ(server.requests().size(), 1u);

    server.reply("/api/models/" + flatRemote + "/tree/main", HttpTestReply::html(200, "  \n<html>busy</html>"));
    expectFailure<HuggingFaceDownloadError>([](const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::htmlErrorResponse);
        EXPECT_EQ(error.snippet(), "<html>busy</html>");
    });

    server.reply("/api/models/" + flatRemote + "/tree/main", HttpTestReply::text(200, R"({"error": "x"})"));
    expectFailure<HuggingFaceDownloadError>([](const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::invalidResponse);
    });
    EXPECT_TRUE(sleeper.sleptSeconds().empty());
}

TEST_F(DownloadRepoTests, ListedPathsThatLeaveTheRepositoryFolderAreRejected) {
    for (const std::string path : {"../../escaped.json", "Model.mlmodelc/../../../escaped.bin", "/tmp/escaped.json"}) {
        serveListing(flatRemote, "tree/main",
                     nlohmann::json::array({fileEntry("config.json", 6), directoryEntry("Model.mlmodelc")}));
        serveListing(flatRemote, "tree/main/Model.mlmodelc", nlohmann::json::array({fileEntry(path, 7)}));
        serveFile(flatRemote, "config.json", "config");
        expectFailure<HuggingFaceDownloadError>([](const HuggingFaceDownloadError& error) {
            EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::invalidResponse);
        });
        for (const auto& request : server.requests()) EXPECT_EQ(request.path.find("/resolve/"), std::string::npos);
        EXPECT_TRUE(filesBelow(folder.path()).empty()) << path;
    }
}

TEST_F(DownloadRepoTests, AFailedFileLeavesEarlierFilesAndNoTemporaryFiles) {
    serveFlatRepository();
    serveFile(flatRemote, "Model.mlmodelc/weights/weight.bin", "server trouble", 500);
    expectFailure<HuggingFaceDownloadError>([](const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.underlying().code(), 500);
    });
    EXPECT_EQ(sleeper.sleptSeconds(), (std::vector<double>{1.0, 2.0, 4.0}));
    EXPECT_EQ(filesBelow(repoFolder()), (std::vector<std::string>{"Model.mlmodelc/coremldata.bin"}));
}

TEST_F(DownloadRepoTests, AFileWhereAFolderBelongsIsReplaced) {
    serveFlatRepository();
    folder.write("models/sortformer/Model.mlmodelc", "stray file");
    download();
    EXPECT_EQ(folder.read("models/sortformer/Model.mlmodelc/coremldata.bin"), "data");
    EXPECT_TRUE(log.contains("Removing file blocking directory creation: " + (repoFolder() / modelName).string()));
}

TEST_F(DownloadRepoTests, ASubPathRepositoryLandsWithoutItsPrefixAndFindsRootFiles) {
    const std::string remote = "ZoviriVodovozav/parakeet-realtime-eou-120m-coreml";
    nlohmann::json listing = nlohmann::json::array();
    for (const std::string bundle : {"streaming_encoder.mlmodelc", "decoder.mlmodelc", "joint_decision.mlmodelc"}) {
        listing.push_back(directoryEntry("160ms/" + bundle));
        serveListing(remote, "tree/main/160ms/" + bundle,
                     nlohmann::json::array({fileEntry("160ms/" + bundle + "/coremldata.bin", std::nullopt)}));
        serveFile(remote, "160ms/" + bundle + "/coremldata.bin", bundle);
    }
    serveListing(remote, "tree/main/160ms", listing);
    serveListing(remote, "tree/main", nlohmann::json::array({directoryEntry("160ms"), fileEntry("vocab.json", std::nullopt)}));
    serveFile(remote, "vocab.json", "{}");
    // One rate limit on the way is waited out.
    server.handle("/" + remote + "/resolve/main/vocab.json", [calls = std::make_shared<std::atomic<int>>(0)](const auto&) {
        return (*calls)++ == 0 ? HttpTestReply::text(429, "slow down") : HttpTestReply::text(200, "{}");
    });

    std::vector<DownloadProgress> progress;
    downloadRepo(Repo::parakeetEou160, models(), std::nullopt, {},
                 [&](const DownloadProgress& p) { progress.push_back(p); });

    EXPECT_EQ(filesBelow(models() / "parakeet-eou-streaming" / "160ms"),
              (std::vector<std::string>{"decoder.mlmodelc/coremldata.bin", "joint_decision.mlmodelc/coremldata.bin",
                                        "streaming_encoder.mlmodelc/coremldata.bin", "vocab.json"}));
    EXPECT_EQ(sleeper.sleptSeconds(), (std::vector<double>{1.0}));
    // Without sizes the fractions count files.
    const std::vector<DownloadProgress> expected{{0, DownloadPhase::listing()},
                                                 {0.125, DownloadPhase::downloading(1, 4)},
                                                 {0.25, DownloadPhase::downloading(2, 4)},
                                                 {0.375, DownloadPhase::downloading(3, 4)},
                                                 {0.5, DownloadPhase::downloading(4, 4)}};
    EXPECT_EQ(progress, expected);
}

} // namespace
} // namespace razeziruzer::DownloadUtils
