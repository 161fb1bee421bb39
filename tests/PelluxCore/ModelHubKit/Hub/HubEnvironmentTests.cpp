#include "PelluxCore/ModelHubKit/Hub/HubEnvironment.hpp"
#include "PelluxCore/ModelHubKit/Hub/HubApi.hpp"

#include "tests/PelluxCore/ModelHubKit/Hub/TinyHub.hpp"
#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace modelhubkit::testing {
namespace {

// A home folder of its own and none of the hub's variables.
class HubEnvironment : public ::testing::Test {
protected:
    HubEnvironment()
    {
        environment.set("HOME", home.path().string());
        for (const char* name : {"HF_TOKEN", "HUGGING_FACE_HUB_TOKEN", "HF_TOKEN_PATH", "HF_HOME", "HF_ENDPOINT",
                                 "XDG_CONFIG_HOME"})
            environment.unset(name);
    }

    testsupport::TemporaryDirectory home;
    testsupport::ScopedEnvironment environment;
};

TEST_F(HubEnvironment, TokenComesFromTheFirstSourceThatHasOne)
{
    struct Case {
        const char* name;
        std::map<std::string, std::string> variables;
        // Files below the case's own folder; "$" in a variable stands for it.
        std::map<std::string, std::string> files;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"every source",
         {{"HF_TOKEN", "from-hf-token"}, {"HUGGING_FACE_HUB_TOKEN", "from-legacy"}, {"HF_TOKEN_PATH", "$/path-token"},
          {"HF_HOME", "$/hf-home"}},
         {{"path-token", "from-path"}, {"hf-home/token", "from-hf-home"}, {"home/.cache/huggingface/token", "cache"}},
         "from-hf-token"},
        {"empty first variable", {{"HF_TOKEN", ""}, {"HUGGING_FACE_HUB_TOKEN", "from-legacy"}}, {}, "from-legacy"},
        {"token file named by a variable, newline trimmed",
         {{"HF_TOKEN_PATH", "$/path-token"}, {"HF_HOME", "$/hf-home"}},
         {{"path-token", "from-path\n"}, {"hf-home/token", "from-hf-home"}},
         "from-path"},
        {"missing token file passes on to the hub home",
         {{"HF_TOKEN_PATH", "$/absent"}, {"HF_HOME", "$/hf-home"}},
         {{"hf-home/token", "from-hf-home"}, {"home/.cache/huggingface/token", "cache"}},
         "from-hf-home"},
        {"cache token file",
         {},
         {{"home/.cache/huggingface/token", "cache"}, {"home/.huggingface/token", "dot-folder"}},
         "cache"},
        {"blank cache file passes on",
         {},
         {{"home/.cache/huggingface/token", " \n"}, {"home/.huggingface/token", "dot-folder"}},
         "dot-folder"},
        {"nothing anywhere", {}, {}, std::nullopt},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        testsupport::TemporaryDirectory root;
        testsupport::ScopedEnvironment scoped;
        scoped.set("HOME", (root.path() / "home").string());
        for (const auto& [relative, contents] : testCase.files)
            root.write(relative, contents);
        for (auto [name, value] : testCase.variables) {
            if (value.starts_with("$"))
                value = root.path().string() + value.substr(1);
            scoped.set(name, value);
        }
        EXPECT_EQ(resolveHubToken(), testCase.expected);
        EXPECT_EQ(HubApi(std::nullopt, std::nullopt, "http://127.0.0.1:1").hfToken(), testCase.expected);
        EXPECT_EQ(HubApi(std::nullopt, "given", "http://127.0.0.1:1").hfToken(), "given");
    }
}

TEST_F(HubEnvironment, EndpointIsGivenThenVariableThenPublicHub)
{
    EXPECT_EQ(HubApi().endpoint(), publicHubEndpoint);
    environment.set("HF_ENDPOINT", "https://mirror.example/");
    EXPECT_EQ(HubApi().endpoint(), "https://mirror.example");
    EXPECT_EQ(HubApi(std::nullopt, std::nullopt, "http://given.example").endpoint(), "http://given.example");
    environment.set("HF_ENDPOINT", "");
    EXPECT_EQ(HubApi().endpoint(), publicHubEndpoint);
}

TEST_F(HubEnvironment, VariableEndpointReceivesTheRequests)
{
    TinyHub hub;
    hub.setFile("config.json", "{}");
    environment.set("HF_ENDPOINT", hub.endpoint());
    const HubApi api(home.path() / "base", std::string(), std::nullopt, false, false);

    EXPECT_THAT(api.getFilenames(tinyRepo(), "main", {}), ::testing::ElementsAre("config.json"));
    EXPECT_EQ(hub.server.requests().size(), 1u);
}

TEST_F(HubEnvironment, DefaultDownloadBaseIsHuggingfaceInDocuments)
{
    EXPECT_EQ(HubApi().downloadBase(), home.path() / "Documents" / "huggingface");
    EXPECT_EQ(HubApi("/given").downloadBase(), std::filesystem::path("/given"));
}

} // namespace
} // namespace modelhubkit::testing
