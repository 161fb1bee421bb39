#include "PelluxCore/ModelHubKit/Hub/RepoPath.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"

#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

namespace modelhubkit::testing {
namespace {

namespace fs = std::filesystem;

TEST(RepoPath, RefusesPathsThatLeaveTheirFolder)
{
    for (const char* path : {"../escape", "a/../../escape", "/etc/passwd", "a//b", "a/./b", "", "a/", "..",
                             "a\\..\\b", ".cache/modelhubkit/files/x.metadata"}) {
        SCOPED_TRACE(path);
        try {
            checkedRepoFilePath(path);
            ADD_FAILURE() << "accepted";
        } catch (const HubError& error) {
            EXPECT_EQ(error.kind(), HubErrorKind::unsafePath);
        }
    }
    EXPECT_EQ(checkedRepoFilePath("a/b.json"), fs::path("a") / "b.json");
    EXPECT_EQ(checkedRepoFilePath(".gitattributes"), fs::path(".gitattributes"));
    EXPECT_EQ(checkedRepoIdPath("owner/name"), fs::path("owner") / "name");
    EXPECT_THROW(checkedRepoIdPath("../name"), HubError);
}

TEST(RepoPath, HostileListingIsRefusedAndWritesNothing)
{
    TinyHub hub;
    testsupport::TemporaryDirectory base;
    hub.setFile("config.json", "{}");
    hub.listOnly("../../../escaped.json");
    const auto api = hub.client(base.path() / "hub");

    EXPECT_THROW(api.getFilenames(tinyRepo(), "main", {"*.json"}), HubError);
    EXPECT_THROW(api.snapshot(tinyRepo(), "main", {"*.json"}), HubError);

    EXPECT_FALSE(fs::exists(base.path() / "escaped.json"));
    EXPECT_TRUE(hub.fileDownloads().empty());
    // A glob that leaves the bad entry out still works.
    EXPECT_NO_THROW(api.snapshot(tinyRepo(), "main", {"config.json"}));
}

TEST(RepoPath, UnsafeRepositoryIdentifierIsRefusedBeforeAnyRequest)
{
    TinyHub hub;
    testsupport::TemporaryDirectory base;
    const auto api = hub.client(base.path());
    EXPECT_THROW(api.snapshot(Repo{"../../outside", RepoType::models}, "main", {}), HubError);
    EXPECT_TRUE(hub.server.requests().empty());
}

} // namespace
} // namespace modelhubkit::testing
