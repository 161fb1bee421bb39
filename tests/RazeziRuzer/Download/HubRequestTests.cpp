#include "RazeziRuzer/DownloadUtilsInternal.hpp"

#include "tests/RazeziRuzer/Download/HubFixture.hpp"

#include <nlohmann/json.hpp>

namespace razeziruzer::DownloadUtils {
namespace {

using downloadtest::HubFixture;

class HubRequestTests : public HubFixture {};

TEST_F(HubRequestTests, TheFirstTokenVariablePresentIsSentEvenWhenEmpty) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> variables;
        std::optional<std::string> header;
    };
    const std::vector<Case> cases{
        {{{"HF_TOKEN", "first"}, {"HUGGING_FACE_HUB_TOKEN", "second"}}, "Bearer first"},
        {{{"HUGGING_FACE_HUB_TOKEN", "second"}, {"HUGGINGFACEHUB_API_TOKEN", "third"}}, "Bearer second"},
        {{{"HUGGINGFACEHUB_API_TOKEN", "third"}}, "Bearer third"},
        {{{"HF_TOKEN", ""}, {"HUGGING_FACE_HUB_TOKEN", "second"}}, "Bearer "},
        {{}, std::nullopt},
    };
    server.reply("/probe", testsupport::HttpTestReply::text(200, "ok"));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        testsupport::ScopedEnvironment scoped;
        for (const auto& [name, value] : cases[i].variables) scoped.set(name, value);
        EXPECT_EQ(authorizedRequest("http://x.test").headers.value("Authorization"), cases[i].header) << "case " << i;
        if (i == 0) {
            EXPECT_EQ(fetchWithAuth(server.url("/probe")).status, 200);
            EXPECT_EQ(server.requests().back().header("Authorization"), "Bearer first");
        }
    }
    EXPECT_EQ(authorizedRequest("http://x.test").idleTimeout, std::chrono::seconds(1800));
}

TEST_F(HubRequestTests, FetchWithAuthRefusesWhileOffline) {
    enforceOffline = true;
    const auto url = server.url("/probe");
    try {
        fetchWithAuth(url);
        FAIL() << "expected the offline refusal";
    } catch (const OfflineError& error) {
        EXPECT_EQ(error.kind(), OfflineErrorKind::networkDisabled);
        EXPECT_EQ(error.description(), "RazeziRuzer offline mode: fetchWithAuth(" + url + ") blocked");
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST(ValidateJSONResponseTests, WebPagesAreRejectedAndEverythingElsePasses) {
    struct Case {
        std::string body;
        bool html;
    };
    for (const auto& c : {Case{"\n\n  <!DOCTYPE HTML><html></html>", true}, Case{"<?xml version=\"1.0\"?><a/>", true},
                          Case{R"({"note": "<!doctype html"})", true}, Case{R"([{"path": "a"}])", false},
                          Case{"\xff\xfe<html>", false}, Case{"", false}}) {
        bool rejected = false;
        try {
            validateJSONResponse(c.body, "tree/main");
        } catch (const HuggingFaceDownloadError& error) {
            rejected = error.kind() == HuggingFaceDownloadErrorKind::htmlErrorResponse;
        }
        EXPECT_EQ(rejected, c.html) << c.body;
    }
}

TEST(ValidateJSONResponseTests, TheSnippetIsTheTrimmedBodyCutToOneHundredCharacters) {
    const std::string page = "<html>" + std::string(200, 'x');
    try {
        validateJSONResponse("  \n" + page + "\n", "sub");
        FAIL() << "expected the HTML error";
    } catch (const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.snippet(), page.substr(0, 100));
        EXPECT_EQ(error.description(), "HuggingFace returned HTML instead of JSON for sub (rate limit or server issue): " +
                                           page.substr(0, 100));
    }
}

TEST(ParseListingTests, ReadsPathTypeAndSizeAndRejectsOtherShapes) {
    const auto entries = parseListing(R"([
        {"type": "file", "path": "a.json", "size": 12},
        {"type": "file", "path": "b.bin"},
        {"type": "file", "path": "c.bin", "size": "large"},
        {"type": "directory", "path": "d"},
        {"type": "file"},
        {"path": 5, "type": "file"}
    ])");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].size, 12);
    EXPECT_EQ(entries[1].size, -1);
    EXPECT_EQ(entries[2].size, -1);
    EXPECT_EQ(entries[3].type, "directory");

    for (const std::string body : {R"({"path": "a"})", R"([1, 2])", R"([{"path": "a"}, "b"])"}) {
        EXPECT_THROW(parseListing(body), HuggingFaceDownloadError) << body;
    }
    EXPECT_THROW(parseListing("not json"), nlohmann::json::parse_error);
}

TEST(StaysInsideFolderTests, OnlyPathsBelowTheFolderPass) {
    for (const std::string inside : {"a.json", "Model.mlmodelc/weights/weight.bin", "./a", "a//b"}) {
        EXPECT_TRUE(staysInsideFolder(inside)) << inside;
    }
    const std::vector<std::string> outsiders{"", ".", "/etc/passwd", "../x", "a/../../x", "a/..", std::string("a\0b", 3)};
    for (const auto& outside : outsiders) {
        EXPECT_FALSE(staysInsideFolder(outside)) << outside;
    }
}

} // namespace
} // namespace razeziruzer::DownloadUtils
