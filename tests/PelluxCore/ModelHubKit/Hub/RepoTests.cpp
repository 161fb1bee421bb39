#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"
#include "PelluxCore/ModelHubKit/Hub/Repo.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <unordered_set>

namespace modelhubkit {
namespace {

TEST(Repo, StoresAsIdAndKindText)
{
    const Repo repo{"dozizizez/hushframe-coreml", RepoType::models};
    const auto json = nlohmann::json(repo);
    EXPECT_EQ(json, nlohmann::json::parse(R"({"id": "dozizizez/hushframe-coreml", "type": "models"})"));
    EXPECT_EQ(json.get<Repo>(), repo);

    for (const char* kind : {"datasets", "spaces"})
        EXPECT_EQ(rawValue(nlohmann::json(kind).get<RepoType>()), kind);
    for (const char* bad : {R"({"id": "a/b", "type": "model"})", R"({"id": "a/b", "type": "Models"})",
                            R"({"id": "a/b"})", R"({"type": "models"})"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(nlohmann::json::parse(bad).get<Repo>(), nlohmann::json::exception);
    }
}

TEST(Repo, SameIdentifierOfAnotherKindIsAnotherKey)
{
    const std::unordered_set<Repo> repos = {{"a/b", RepoType::models}, {"a/b", RepoType::datasets},
                                            {"a/b", RepoType::models}};
    EXPECT_EQ(repos.size(), 2u);
}

TEST(Repo, LocalLocationIsBaseThenKindThenIdentifier)
{
    const HubApi api("/x", std::string(), "http://127.0.0.1:1", false, true);
    EXPECT_EQ(api.localRepoLocation({"a/b", RepoType::datasets}), std::filesystem::path("/x/datasets/a/b"));
    EXPECT_EQ(api.localRepoLocation({"openai/whisper-base", RepoType::models}),
              std::filesystem::path("/x/models/openai/whisper-base"));
    EXPECT_EQ(api.localRepoLocation({"owner/space", RepoType::spaces}), std::filesystem::path("/x/spaces/owner/space"));
}

} // namespace
} // namespace modelhubkit
