#include "PelluxCore/HubWrapper.hpp"

#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"
#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unordered_set>

namespace pelluxcore {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using modelhubkit::testing::TinyHub;
using RepoType = HubApiWrapper::RepoType;
using Repo = HubApiWrapper::Repo;

const Repo tiny{TinyHub::repoId, RepoType::models};

HubApiWrapper wrapperOf(const TinyHub& hub, const std::filesystem::path& base) {
    return HubApiWrapper(base, std::string(), hub.endpoint(), false,
                         modelhubkit::HubApi::Services{nullptr, hub.network});
}

TEST(HubApiWrapperRepo, StoresIdAndKindTextAndRefusesAnyOtherKind) {
    const nlohmann::json stored = Repo{"dozizizez/hushframe-coreml", RepoType::models};
    EXPECT_EQ(stored, nlohmann::json::parse(R"({"id": "dozizizez/hushframe-coreml", "type": "models"})"));
    EXPECT_EQ(stored.get<Repo>(), (Repo{"dozizizez/hushframe-coreml", RepoType::models}));
    EXPECT_EQ(nlohmann::json::parse(R"({"id": "a/b", "type": "spaces"})").get<Repo>().type, RepoType::spaces);

    for (const char* kind : {"model", "Models", ""}) {
        SCOPED_TRACE(kind);
        const auto json = nlohmann::json{{"id", "a/b"}, {"type", kind}};
        EXPECT_THROW(json.get<Repo>(), nlohmann::json::exception);
        EXPECT_EQ(repoTypeFromRawValue(kind), std::nullopt);
    }
    // The library's own reference has the same stored form.
    EXPECT_EQ(nlohmann::json(hubRepo(Repo{"a/b", RepoType::datasets})), nlohmann::json(Repo{"a/b", RepoType::datasets}));
}

TEST(HubApiWrapperRepo, SameIdentifierOfAnotherKindIsAnotherKey) {
    const std::unordered_set<Repo> keys{{"a/b", RepoType::models}, {"a/b", RepoType::datasets},
                                        {"a/b", RepoType::models}};
    EXPECT_EQ(keys.size(), 2u);
    EXPECT_NE((Repo{"a/b", RepoType::models}), (Repo{"a/b", RepoType::spaces}));
}

TEST(HubApiWrapper, BuildsItsClientFromExactlyTheGivenValues) {
    const HubApiWrapper wrapper("/x", std::string("secret"), std::string("http://127.0.0.1:9"), true);
    EXPECT_EQ(wrapper.impl.downloadBase(), "/x");
    EXPECT_EQ(wrapper.impl.hfToken(), "secret");
    EXPECT_EQ(wrapper.impl.endpoint(), "http://127.0.0.1:9");
    EXPECT_TRUE(wrapper.impl.useBackgroundSession());
    EXPECT_EQ(wrapper.impl.useOfflineMode(), std::nullopt);
    EXPECT_FALSE(HubApiWrapper::shared().impl.useBackgroundSession());
}

TEST(HubApiWrapper, LocalLocationIsBaseThenKindThenOwnerAndName) {
    const HubApiWrapper wrapper("/x", std::string(), std::string("http://127.0.0.1:9"), false);
    EXPECT_EQ(wrapper.localRepoLocation({"a/b", RepoType::datasets}), "/x/datasets/a/b");
    EXPECT_EQ(wrapper.localRepoLocation({"a/b", RepoType::models}), "/x/models/a/b");
    EXPECT_EQ(wrapper.localRepoLocation({"a/b", RepoType::spaces}), "/x/spaces/a/b");
}

class HubApiWrapperOnLoopback : public ::testing::Test {
protected:
    HubApiWrapperOnLoopback() {
        hub.setFile("config.json", R"({"name":"tiny"})");
        hub.setFile("tokenizer.json", "{}");
        hub.setFile("whisper/v1/base/Encoder.mlmodelc/coremldata.bin", "encoder");
        hub.setFile("whisper/v1/tiny/Encoder.mlmodelc/coremldata.bin", "tiny encoder");
    }

    TinyHub hub;
    testsupport::TemporaryDirectory base;
};

TEST_F(HubApiWrapperOnLoopback, SnapshotBringsTheMatchingFilesIntoTheLocalLocation) {
    const HubApiWrapper wrapper = wrapperOf(hub, base.path());
    std::vector<modelhubkit::Progress> reports;
    const auto folder = wrapper.snapshot(tiny, "main", {"whisper/*/base/*", "config.json"},
                                         [&](const modelhubkit::Progress& progress) { reports.push_back(progress); });

    EXPECT_EQ(folder, wrapper.localRepoLocation(tiny));
    EXPECT_EQ(folder, base.path() / "models/owner/tiny");
    EXPECT_TRUE(std::filesystem::exists(folder / "whisper/v1/base/Encoder.mlmodelc/coremldata.bin"));
    EXPECT_TRUE(std::filesystem::exists(folder / "config.json"));
    EXPECT_THAT(hub.fileDownloads(), ElementsAre("config.json", "whisper/v1/base/Encoder.mlmodelc/coremldata.bin"));
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports.back().isFinished());
}

TEST_F(HubApiWrapperOnLoopback, ListsMatchingNamesOnceAndEveryNameForNoGlobs) {
    const HubApiWrapper wrapper = wrapperOf(hub, base.path());
    EXPECT_THAT(wrapper.getFilenames(tiny, "main", {"whisper/*", "*/base/*"}),
                UnorderedElementsAre("whisper/v1/base/Encoder.mlmodelc/coremldata.bin",
                                     "whisper/v1/tiny/Encoder.mlmodelc/coremldata.bin"));
    EXPECT_EQ(wrapper.getFilenames(tiny, "main", {}).size(), 4u);
}

TEST_F(HubApiWrapperOnLoopback, WithoutANetworkPathAnswersFromTheLocalCopy) {
    wrapperOf(hub, base.path()).snapshot(tiny, "main", {"whisper/*/base/*"});
    const std::size_t requestsBefore = hub.server.requests().size();
    hub.network->setSatisfied(false);

    const HubApiWrapper offline = wrapperOf(hub, base.path());
    EXPECT_EQ(offline.snapshot(tiny, "main", {"whisper/*/base/*"}), base.path() / "models/owner/tiny");
    EXPECT_THAT(offline.getFilenames(tiny, "main", {"whisper/*"}),
                ElementsAre("whisper/v1/base/Encoder.mlmodelc/coremldata.bin"));
    EXPECT_THROW(offline.snapshot(tiny, "main", {"config.json"}), modelhubkit::HubError);
    EXPECT_EQ(hub.server.requests().size(), requestsBefore);
}

} // namespace
} // namespace pelluxcore
