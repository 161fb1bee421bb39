#include "RazeziRuzer/Shared/AssetDownloader.hpp"

#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "tests/RazeziRuzer/Download/HubFixture.hpp"

namespace razeziruzer {
namespace {

using downloadtest::HubFixture;
using testsupport::HttpTestReply;

class AssetDownloaderTests : public HubFixture {
protected:
    AssetDownloader::Descriptor descriptor(bool skipIfExists, AssetDownloader::TransferMode mode) const {
        return {"lexicon", server.url("/lexicon"), folder / "assets" / "lexicon.json", skipIfExists, std::move(mode)};
    }

    static AssetDownloader::TransferMode dataMode() {
        return AssetDownloader::TransferMode::data(AssetDownloader::defaultDataWriter);
    }
    static AssetDownloader::TransferMode fileMode() {
        return AssetDownloader::TransferMode::file(AssetDownloader::defaultFileMover);
    }

    platform::HttpTransport& session = DownloadUtils::sharedSession();
    AppLogger logger{"Tests"};
};

TEST_F(AssetDownloaderTests, AnExistingFileIsTrustedWhenAsked) {
    folder.write("assets/lexicon.json", "old");
    EXPECT_EQ(AssetDownloader::ensure(descriptor(true, dataMode()), session, logger), folder / "assets/lexicon.json");
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(log.sink().records().empty());
}

TEST_F(AssetDownloaderTests, BothModesReplaceTheFileAndLeaveNothingElse) {
    for (const auto& mode : {dataMode(), fileMode()}) {
        folder.write("assets/lexicon.json", "old");
        server.reply("/lexicon", HttpTestReply::text(200, "new"));
        AssetDownloader::ensure(descriptor(false, mode), session, logger);
        EXPECT_EQ(folder.read("assets/lexicon.json"), "new");
        EXPECT_EQ(filesBelow(folder / "assets"), (std::vector<std::string>{"lexicon.json"}));
    }
    EXPECT_TRUE(log.contains("Downloading lexicon…"));
    EXPECT_TRUE(log.contains("Cached lexicon at " + (folder / "assets/lexicon.json").string()));
}

TEST_F(AssetDownloaderTests, AnErrorReplyLeavesTheDestinationUntouched) {
    server.reply("/lexicon", HttpTestReply::text(404, "missing"));
    for (const auto& mode : {dataMode(), fileMode()}) {
        folder.write("assets/lexicon.json", "old");
        try {
            AssetDownloader::ensure(descriptor(false, mode), session, logger);
            FAIL() << "expected invalidResponse";
        } catch (const AssetDownloader::Error& error) {
            EXPECT_EQ(error.statusCode(), 404);
            EXPECT_EQ(error.description(), "Unexpected response (status 404) while downloading lexicon");
        }
        EXPECT_EQ(folder.read("assets/lexicon.json"), "old");
        EXPECT_EQ(filesBelow(folder / "assets"), (std::vector<std::string>{"lexicon.json"}));
    }
}

TEST_F(AssetDownloaderTests, OfflineModeRefusesEveryFetchButTrustsPresentFiles) {
    DownloadUtils::enforceOffline = true;
    EXPECT_THROW(AssetDownloader::ensure(descriptor(false, fileMode()), session, logger), DownloadUtils::OfflineError);
    EXPECT_THROW(AssetDownloader::fetchData(server.url("/lexicon"), "lexicon", session, logger),
                 DownloadUtils::OfflineError);
    EXPECT_FALSE(std::filesystem::exists(folder / "assets"));
    folder.write("assets/lexicon.json", "old");
    EXPECT_NO_THROW(AssetDownloader::ensure(descriptor(true, fileMode()), session, logger));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(AssetDownloaderTests, FetchDataKeepsTheBodyInMemory) {
    server.reply("/lexicon", HttpTestReply::text(200, "bytes"));
    EXPECT_EQ(AssetDownloader::fetchData(server.url("/lexicon"), "lexicon", session, logger), "bytes");
    EXPECT_TRUE(filesBelow(folder.path()).empty());
    for (const auto& record : log.sink().records()) EXPECT_EQ(record.level, platform::LogLevel::debug);
    EXPECT_TRUE(log.contains("Fetching lexicon from " + server.url("/lexicon")));
}

} // namespace
} // namespace razeziruzer
