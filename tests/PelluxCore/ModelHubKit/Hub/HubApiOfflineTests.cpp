#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubError.hpp"

#include "Platform/Http/HttpError.hpp"
#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/Support/HttpTestServer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace modelhubkit::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class HubApiOffline : public ::testing::Test {
protected:
    HubApiOffline()
    {
        hub.setFile("config.json", R"({"name":"tiny"})");
        hub.setFile("tokenizer.json", "{}");
        hub.setFile("openai_whisper-tiny/TextDecoder.mlmodelc/model.mil", "decoder program");
        hub.client(base.path()).snapshot(tinyRepo(), "main", {"*tiny/*", "config.json"});
        requestsBefore = hub.server.requests().size();
    }

    // A client whose hub address answers nothing.
    HubApi unreachableClient(std::optional<bool> offline, bool networkSatisfied) const
    {
        auto monitor = std::make_shared<FakeNetworkMonitor>(networkSatisfied);
        const auto endpoint = "http://127.0.0.1:" + std::to_string(testsupport::HttpTestServer::unusedPort());
        return HubApi(base.path(), std::string(), endpoint, false, offline, HubApi::Services{nullptr, monitor});
    }

    TinyHub hub;
    testsupport::TemporaryDirectory base;
    std::size_t requestsBefore = 0;
};

TEST_F(HubApiOffline, AnswersFromTheCacheWhetherAskedOrWithoutANetworkPath)
{
    hub.network->setSatisfied(false);
    const std::vector<std::pair<const char*, HubApi>> clients = {
        {"offline mode", hub.client(base.path(), true)},
        {"no network path", hub.client(base.path(), std::nullopt)},
        {"hub out of reach", unreachableClient(std::nullopt, true)},
    };
    for (const auto& [name, api] : clients) {
        SCOPED_TRACE(name);
        std::vector<Progress> reports;
        const auto folder = api.snapshot(tinyRepo(), "main", {"*tiny/*"},
                                         [&reports](const Progress& progress) { reports.push_back(progress); });
        EXPECT_EQ(folder, base.path() / "models/owner/tiny");
        EXPECT_THAT(reports, ElementsAre(Progress{1, 1, 1.0}));
        EXPECT_THAT(api.getFilenames(tinyRepo(), "main", {"*tiny/*"}),
                    ElementsAre("openai_whisper-tiny/TextDecoder.mlmodelc/model.mil"));
        // Never stored, so not listed: the offline answer is what is on disk.
        EXPECT_THAT(api.getFilenames(tinyRepo(), "main", {"tokenizer.json"}), ::testing::IsEmpty());
    }
    EXPECT_EQ(hub.server.requests().size(), requestsBefore);
}

TEST_F(HubApiOffline, NothingStoredFailsWithAClearError)
{
    const Repo other{"owner/other", RepoType::models};
    const auto api = hub.client(base.path(), true);
    struct Case {
        const char* name;
        std::function<void()> call;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"unknown repository", [&] { api.snapshot(other, "main", {"*"}); }, "owner/other is not stored at"},
        {"unknown repository listing", [&] { api.getFilenames(other, "main", {}); }, "owner/other is not stored at"},
        {"no matching file", [&] { api.snapshot(tinyRepo(), "main", {"tokenizer.json"}); },
         "no file of models/owner/tiny matching \"tokenizer.json\""},
    };
    for (const auto& [name, call, expected] : cases) {
        SCOPED_TRACE(name);
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const HubError& error) {
            EXPECT_EQ(error.kind(), HubErrorKind::offline);
            EXPECT_THAT(error.description(), HasSubstr(expected));
        }
    }
}

TEST_F(HubApiOffline, UnreachableHubWithoutAStoredCopyReportsTheTransportError)
{
    const auto api = unreachableClient(std::nullopt, true);
    const Repo other{"owner/other", RepoType::models};
    EXPECT_THROW(api.snapshot(other, "main", {"*"}), platform::HttpError);
    EXPECT_THROW(api.snapshot(tinyRepo(), "main", {"tokenizer.json"}), platform::HttpError);
}

} // namespace
} // namespace modelhubkit::testing
