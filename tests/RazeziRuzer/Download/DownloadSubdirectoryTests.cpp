#include "RazeziRuzer/DownloadUtils.hpp"

#include "tests/RazeziRuzer/Download/HubFixture.hpp"

namespace razeziruzer::DownloadUtils {
namespace {

using downloadtest::directoryEntry;
using downloadtest::fileEntry;
using downloadtest::HubFixture;
using testsupport::HttpTestReply;

const std::string remote = "ZoviriVodovozav/kokoro-82m-coreml";

class DownloadSubdirectoryTests : public HubFixture {
protected:
    std::filesystem::path target() const { return folder / "target"; }

    void serveVoices() {
        serveListing(remote, "tree/main/voices",
                     nlohmann::json::array({fileEntry("voices/a.bin", 3), directoryEntry("voices/deep"),
                                            directoryEntry("voices/skipped"), fileEntry("voices/empty.txt", 0),
                                            fileEntry("voices/unsized.json", std::nullopt)}));
        serveListing(remote, "tree/main/voices/deep", nlohmann::json::array({fileEntry("voices/deep/b.bin", 3)}));
        serveFile(remote, "voices/a.bin", "aaa");
        serveFile(remote, "voices/deep/b.bin", "bbb");
        serveFile(remote, "voices/unsized.json", "{}");
    }

    void mirror(std::vector<DownloadProgress>* progress = nullptr) {
        ProgressHandler handler;
        if (progress) handler = [progress](const DownloadProgress& p) { progress->push_back(p); };
        downloadSubdirectory(Repo::kokoro, "voices", target(), handler,
                             [](std::string_view path) { return path == "voices/skipped"; });
    }
};

TEST_F(DownloadSubdirectoryTests, MirrorsNestedFoldersAndSkipsWhatThePredicateRejects) {
    serveVoices();
    std::vector<DownloadProgress> progress;
    mirror(&progress);

    EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"voices/a.bin", "voices/deep/b.bin", "voices/empty.txt",
                                                              "voices/unsized.json"}));
    const auto requested = requestedPaths();
    EXPECT_EQ(std::count(requested.begin(), requested.end(), "/api/models/" + remote + "/tree/main/voices/skipped"), 0);
    EXPECT_EQ(std::count(requested.begin(), requested.end(), "/" + remote + "/resolve/main/voices/empty.txt"), 0);
    ASSERT_EQ(progress.size(), 6u);
    EXPECT_EQ(progress[0], (DownloadProgress{0, DownloadPhase::listing()}));
    EXPECT_EQ(progress[1], (DownloadProgress{0, DownloadPhase::downloading(0, 4)}));
    EXPECT_EQ(progress[5], (DownloadProgress{1, DownloadPhase::downloading(4, 4)}));
    EXPECT_TRUE(log.contains("Found 4 files in voices"));
    EXPECT_TRUE(log.contains("Downloaded 4/4 voices files"));

    const auto before = server.requests().size();
    mirror();
    for (std::size_t i = before; i < server.requests().size(); ++i) {
        EXPECT_TRUE(server.requests()[i].path.starts_with("/api/models/"));
    }
}

TEST_F(DownloadSubdirectoryTests, AMissingFileEndsTheCallKeepingEarlierFilesOnly) {
    serveVoices();
    serveFile(remote, "voices/deep/b.bin", "not here", 404);
    try {
        mirror();
        FAIL() << "expected the download to fail";
    } catch (const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::downloadFailed);
        EXPECT_EQ(error.underlying().code(), 404);
    }
    EXPECT_EQ(filesBelow(target()), (std::vector<std::string>{"voices/a.bin"}));
}

TEST_F(DownloadSubdirectoryTests, RefusesEscapingPathsAndOfflineMode) {
    serveListing(remote, "tree/main/voices", nlohmann::json::array({fileEntry("voices/../../escaped.bin", 3)}));
    EXPECT_THROW(mirror(), HuggingFaceDownloadError);
    EXPECT_TRUE(filesBelow(folder.path()).empty());

    enforceOffline = true;
    try {
        mirror();
        FAIL() << "expected the offline refusal";
    } catch (const OfflineError& error) {
        EXPECT_EQ(error.description(), "RazeziRuzer offline mode: downloadSubdirectory(kokoro/voices) blocked");
    }
}

TEST_F(DownloadSubdirectoryTests, FetchHuggingFaceFileRetriesEveryFailure) {
    server.reply("/busy", HttpTestReply::text(503, "busy"));
    try {
        fetchHuggingFaceFile(server.url("/busy"), "lexicon", 4, 1.0);
        FAIL() << "expected the rate limit";
    } catch (const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::rateLimited);
        EXPECT_EQ(error.statusCode(), 503);
        EXPECT_EQ(error.message(), "HTTP 503");
    }
    EXPECT_EQ(sleeper.sleptSeconds(), (std::vector<double>{1.0, 2.0, 4.0}));
    EXPECT_EQ(retryWarningCount(), 3u);

    server.reply("/missing", HttpTestReply::text(404, "no"));
    EXPECT_THROW(fetchHuggingFaceFile(server.url("/missing"), "lexicon", 1, 1.0), HuggingFaceDownloadError);
    EXPECT_EQ(retryWarningCount(), 3u);

    server.reply("/ok", HttpTestReply::text(200, "bytes"));
    EXPECT_EQ(fetchHuggingFaceFile(server.url("/ok"), "lexicon", 4, 1.0), "bytes");

    enforceOffline = true;
    EXPECT_THROW(fetchHuggingFaceFile(server.url("/ok"), "lexicon", 4, 1.0), OfflineError);
}

} // namespace
} // namespace razeziruzer::DownloadUtils
