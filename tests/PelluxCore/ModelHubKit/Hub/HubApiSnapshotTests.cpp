#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"

#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace modelhubkit::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string contents(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<fs::path> everyFileBelow(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    return files;
}

class HubApiSnapshot : public ::testing::Test {
protected:
    HubApiSnapshot()
    {
        hub.setFile("config.json", R"({"name":"tiny"})");
        hub.setFile("tokenizer.json", R"({"model":{}})");
        hub.setFile("tokenizer_config.json", R"({"tokenizer_class":"WhisperTokenizerFast"})");
        hub.setFile("openai_whisper-tiny/AudioEncoder.mlmodelc/weights/weight.bin", "encoder weights");
        hub.setFile("openai_whisper-tiny/TextDecoder.mlmodelc/model.mil", "decoder program");
        hub.setFile("openai_whisper-base/AudioEncoder.mlmodelc/weights/weight.bin", "base weights");
    }

    fs::path repoFolder() const { return base.path() / "models" / "owner" / "tiny"; }

    TinyHub hub;
    testsupport::TemporaryDirectory base;
};

TEST_F(HubApiSnapshot, ListsTheFilesMatchingAnyGlobEachOnce)
{
    const auto api = hub.client(base.path());
    struct Case {
        std::vector<std::string> globs;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {{"config.json"}, {"config.json"}},
        {{"tokenizer*.json"}, {"tokenizer.json", "tokenizer_config.json"}},
        // "*" crosses "/", as model-folder patterns rely on.
        {{"*tiny/*"},
         {"openai_whisper-tiny/AudioEncoder.mlmodelc/weights/weight.bin",
          "openai_whisper-tiny/TextDecoder.mlmodelc/model.mil"}},
        {{"config.json", "*.json"}, {"config.json", "tokenizer.json", "tokenizer_config.json"}},
        {{"CONFIG.JSON"}, {}},
        {{"nothing/*"}, {}},
    };
    for (const auto& [globs, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(globs));
        const auto names = api.getFilenames(tinyRepo(), "main", globs);
        EXPECT_THAT(names, ::testing::UnorderedElementsAreArray(expected));
    }
    EXPECT_EQ(api.getFilenames(tinyRepo(), "main", {}).size(), 6u);
    EXPECT_FALSE(fs::exists(repoFolder())) << "listing stores nothing";
}

TEST_F(HubApiSnapshot, DownloadsMatchingFilesWithARecordEach)
{
    const auto api = hub.client(base.path());
    std::vector<Progress> reports;
    const auto folder = api.snapshot(tinyRepo(), "main", {"*tiny/*", "config.json"},
                                     [&reports](const Progress& progress) { reports.push_back(progress); });

    EXPECT_EQ(folder, repoFolder());
    EXPECT_EQ(contents(folder / "config.json"), R"({"name":"tiny"})");
    EXPECT_EQ(contents(folder / "openai_whisper-tiny/AudioEncoder.mlmodelc/weights/weight.bin"), "encoder weights");
    EXPECT_FALSE(fs::exists(folder / "tokenizer.json"));
    EXPECT_FALSE(fs::exists(folder / "openai_whisper-base"));

    const auto record = nlohmann::json::parse(
        contents(folder / ".cache/modelhubkit/files/openai_whisper-tiny/TextDecoder.mlmodelc/model.mil.metadata"));
    EXPECT_EQ(record["commitHash"], "c0ffee01");
    EXPECT_EQ(record["size"], std::string("decoder program").size());
    EXPECT_FALSE(record["etag"].get<std::string>().empty());
    EXPECT_TRUE(fs::is_empty(folder / ".cache/modelhubkit/incomplete"));

    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().completedUnitCount, 0);
    EXPECT_EQ(reports.back(), (Progress{3, 3, 1.0}));
}

TEST_F(HubApiSnapshot, SecondSnapshotAtTheSameCommitFetchesNothing)
{
    const auto api = hub.client(base.path());
    api.snapshot(tinyRepo(), "main", {"*.json"});
    ASSERT_EQ(hub.fileDownloads().size(), 3u);

    api.snapshot(tinyRepo(), "main", {"*.json"});

    EXPECT_EQ(hub.fileDownloads().size(), 3u);
    EXPECT_EQ(hub.headRequests(), 0u);
}

TEST_F(HubApiSnapshot, NewCommitRefetchesOnlyChangedFiles)
{
    const auto api = hub.client(base.path());
    api.snapshot(tinyRepo(), "main", {"*.json"});
    hub.setFile("tokenizer.json", R"({"model":{"vocab":{}}})");
    hub.setCommit("c0ffee02");

    api.snapshot(tinyRepo(), "main", {"*.json"});

    EXPECT_THAT(hub.fileDownloads(),
                ElementsAre("config.json", "tokenizer.json", "tokenizer.json", "tokenizer_config.json"));
    EXPECT_EQ(contents(repoFolder() / "tokenizer.json"), R"({"model":{"vocab":{}}})");
    // The unchanged files now carry the new commit, so a third run asks nothing.
    const auto heads = hub.headRequests();
    api.snapshot(tinyRepo(), "main", {"*.json"});
    EXPECT_EQ(hub.headRequests(), heads);
    EXPECT_EQ(hub.fileDownloads().size(), 4u);
}

TEST_F(HubApiSnapshot, DamagedLocalFileIsFetchedAgain)
{
    const auto api = hub.client(base.path());
    api.snapshot(tinyRepo(), "main", {"config.json"});
    std::ofstream(repoFolder() / "config.json", std::ios::trunc) << "{";

    api.snapshot(tinyRepo(), "main", {"config.json"});

    EXPECT_EQ(contents(repoFolder() / "config.json"), R"({"name":"tiny"})");
    EXPECT_EQ(hub.fileDownloads().size(), 2u);
}

TEST_F(HubApiSnapshot, FailedDownloadKeepsThePreviousFileAndLeavesNoTemporaryFile)
{
    const auto api = hub.client(base.path());
    api.snapshot(tinyRepo(), "main", {"config.json"});
    hub.setFile("config.json", R"({"name":"tiny","version":2})");
    hub.setCommit("c0ffee02");
    auto truncated = testsupport::HttpTestReply::text(200, R"({"name":"tiny","version":2})");
    truncated.dropConnectionAfter = 5;
    hub.failFilesWith(truncated);

    EXPECT_ANY_THROW(api.snapshot(tinyRepo(), "main", {"config.json"}));

    EXPECT_EQ(contents(repoFolder() / "config.json"), R"({"name":"tiny"})");
    EXPECT_TRUE(fs::is_empty(repoFolder() / ".cache/modelhubkit/incomplete"));
}

TEST_F(HubApiSnapshot, HubRefusalsBecomeClassifiedErrors)
{
    const auto api = hub.client(base.path());
    struct Case {
        int status;
        HubErrorKind kind;
    };
    for (const auto& [status, kind] : {Case{401, HubErrorKind::unauthorized}, Case{403, HubErrorKind::unauthorized},
                                       Case{404, HubErrorKind::notFound}, Case{500, HubErrorKind::httpStatus}}) {
        SCOPED_TRACE(status);
        hub.failFilesWith(testsupport::HttpTestReply::text(status, "no"));
        try {
            api.snapshot(tinyRepo(), "main", {"config.json"});
            ADD_FAILURE() << "no error";
        } catch (const HubError& error) {
            EXPECT_EQ(error.kind(), kind);
            EXPECT_THAT(error.description(), ::testing::HasSubstr(std::to_string(status)));
        }
        EXPECT_FALSE(fs::exists(repoFolder() / "config.json"));
    }
    const Repo missing{"owner/missing", RepoType::models};
    try {
        api.getFilenames(missing, "main", {});
        ADD_FAILURE() << "no error";
    } catch (const HubError& error) {
        EXPECT_EQ(error.kind(), HubErrorKind::notFound);
    }
}

TEST_F(HubApiSnapshot, SendsTheTokenAsBearerAndNoneWithoutOne)
{
    hub.client(base.path(), false, "secret-token").snapshot(tinyRepo(), "main", {"config.json"});
    hub.client(base.path() / "other", false, std::string()).getFilenames(tinyRepo(), "main", {});

    const auto requests = hub.server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].header("Authorization"), "Bearer secret-token");
    EXPECT_EQ(requests[1].header("Authorization"), "Bearer secret-token");
    EXPECT_EQ(requests[2].header("Authorization"), std::nullopt);

    EXPECT_THROW(hub.client(base.path(), false, "bad\r\nX-Injected: 1").getFilenames(tinyRepo(), "main", {}),
                 HubError);
}

TEST_F(HubApiSnapshot, CancelledSnapshotStopsBeforeTheNextFile)
{
    const auto api = hub.client(base.path());
    std::stop_source stop;
    const auto cancelAfterFirstFile = [&](const Progress& progress) {
        if (progress.completedUnitCount == 1)
            stop.request_stop();
    };

    EXPECT_ANY_THROW(api.snapshot(tinyRepo(), "main", {"*.json"}, cancelAfterFirstFile, stop.get_token()));

    EXPECT_EQ(hub.fileDownloads().size(), 1u);
    EXPECT_THAT(everyFileBelow(repoFolder() / ".cache/modelhubkit/incomplete"), IsEmpty());
}

} // namespace
} // namespace modelhubkit::testing
