// Hub listings come from the network: folders that list themselves or each
// other, repeated entries and endless nesting must not make a download walk
// without end.

#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/ListingWalk.hpp"

#include "tests/RazeziRuzer/Download/HubFixture.hpp"

namespace razeziruzer::DownloadUtils {
namespace {

using downloadtest::directoryEntry;
using downloadtest::fileEntry;
using downloadtest::HubFixture;

const std::string flatRemote = "ZoviriVodovozav/diar-streaming-sortformer-coreml";
const std::string voicesRemote = "ZoviriVodovozav/kokoro-82m-coreml";

class ListingWalkTests : public HubFixture {
protected:
    std::size_t requestsFor(const std::string& path) const {
        const auto requested = requestedPaths();
        return static_cast<std::size_t>(std::count(requested.begin(), requested.end(), path));
    }

    void mirrorVoices() { downloadSubdirectory(Repo::kokoro, "voices", folder / "target", {}, {}); }

    // "voices", "voices/d", "voices/d/d", ...: `levels` folders below "voices",
    // the deepest holding one file.
    void serveChain(int levels) {
        std::string path = "voices";
        for (int level = 0; level < levels; ++level) {
            serveListing(voicesRemote, "tree/main/" + path, nlohmann::json::array({directoryEntry(path + "/d")}));
            path += "/d";
        }
        serveListing(voicesRemote, "tree/main/" + path, nlohmann::json::array({fileEntry(path + "/f.bin", 0)}));
    }

    void expectInvalidResponse(const std::function<void()>& action) {
        try {
            action();
            FAIL() << "expected the walk to be refused";
        } catch (const HuggingFaceDownloadError& error) {
            EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::invalidResponse);
        }
    }
};

TEST_F(ListingWalkTests, ARepositoryWhoseFoldersListThemselvesIsListedOnce) {
    serveListing(flatRemote, "tree/main",
                 nlohmann::json::array({directoryEntry("Model.mlmodelc"), fileEntry("config.json", 6)}));
    serveListing(flatRemote, "tree/main/Model.mlmodelc",
                 nlohmann::json::array({directoryEntry("Model.mlmodelc"), directoryEntry("Model.mlmodelc/weights"),
                                        fileEntry("Model.mlmodelc/coremldata.bin", 4)}));
    serveListing(flatRemote, "tree/main/Model.mlmodelc/weights",
                 nlohmann::json::array({directoryEntry("Model.mlmodelc"), fileEntry("Model.mlmodelc/weights/weight.bin", 10),
                                        fileEntry("Model.mlmodelc/weights/weight.bin", 10)}));
    serveFile(flatRemote, "config.json", "config");
    serveFile(flatRemote, "Model.mlmodelc/coremldata.bin", "data");
    serveFile(flatRemote, "Model.mlmodelc/weights/weight.bin", "0123456789");

    downloadRepo(Repo::sortformer, folder / "models", "Model.mlmodelc", {}, {});

    EXPECT_EQ(filesBelow(folder / "models/sortformer"),
              (std::vector<std::string>{"Model.mlmodelc/coremldata.bin", "Model.mlmodelc/weights/weight.bin", "config.json"}));
    for (const auto* listing : {"tree/main", "tree/main/Model.mlmodelc", "tree/main/Model.mlmodelc/weights"}) {
        EXPECT_EQ(requestsFor("/api/models/" + flatRemote + "/" + listing), 1u) << listing;
    }
    EXPECT_EQ(requestsFor("/" + flatRemote + "/resolve/main/Model.mlmodelc/weights/weight.bin"), 1u);
    EXPECT_TRUE(log.contains("Found 3 files to download"));
}

TEST_F(ListingWalkTests, ASubfolderThatListsItselfOrItsParentIsListedOnce) {
    serveListing(voicesRemote, "tree/main/voices",
                 nlohmann::json::array({directoryEntry("voices"), directoryEntry("voices/deep"), fileEntry("voices/a.bin", 3)}));
    serveListing(voicesRemote, "tree/main/voices/deep",
                 nlohmann::json::array({directoryEntry("voices"), fileEntry("voices/a.bin", 3)}));
    serveFile(voicesRemote, "voices/a.bin", "aaa");

    mirrorVoices();

    EXPECT_EQ(filesBelow(folder / "target"), (std::vector<std::string>{"voices/a.bin"}));
    EXPECT_EQ(requestsFor("/api/models/" + voicesRemote + "/tree/main/voices"), 1u);
    EXPECT_EQ(requestsFor("/api/models/" + voicesRemote + "/tree/main/voices/deep"), 1u);
    EXPECT_TRUE(log.contains("Found 1 files in voices"));
}

TEST_F(ListingWalkTests, FoldersNestThirtyTwoLevelsAndNoDeeper) {
    serveChain(ListingWalk::maximumDepth);
    mirrorVoices();
    EXPECT_EQ(filesBelow(folder / "target").size(), 1u);

    serveChain(ListingWalk::maximumDepth + 1);
    std::filesystem::remove_all(folder / "target");
    expectInvalidResponse([&] { mirrorVoices(); });
    EXPECT_FALSE(std::filesystem::exists(folder / "target"));
    EXPECT_TRUE(log.contains("more than 32 levels deep"));
}

TEST_F(ListingWalkTests, AListingOfMoreFilesThanTheCapIsRefusedBeforeAnyDownload) {
    const auto listing = [](std::size_t count) {
        auto entries = nlohmann::json::array();
        for (std::size_t i = 0; i < count; ++i) entries.push_back(fileEntry("voices/" + std::to_string(i), 0));
        return entries;
    };
    serveListing(voicesRemote, "tree/main/voices", listing(ListingWalk::maximumFiles + 1));
    expectInvalidResponse([&] { mirrorVoices(); });
    EXPECT_FALSE(std::filesystem::exists(folder / "target"));

    serveListing(voicesRemote, "tree/main/voices", listing(ListingWalk::maximumFiles));
    mirrorVoices();
    EXPECT_EQ(filesBelow(folder / "target").size(), ListingWalk::maximumFiles);
}

TEST(ListingWalk, CountsFoldersAndFilesOnce) {
    ListingWalk walk;
    EXPECT_TRUE(walk.enterFolder("", 0));
    EXPECT_TRUE(walk.enterFolder("a", 1));
    EXPECT_FALSE(walk.enterFolder("a", 2));
    EXPECT_TRUE(walk.takeFile("a/x"));
    EXPECT_FALSE(walk.takeFile("a/x"));
    EXPECT_THROW(walk.enterFolder("deep", ListingWalk::maximumDepth + 1), HuggingFaceDownloadError);
}

} // namespace
} // namespace razeziruzer::DownloadUtils
