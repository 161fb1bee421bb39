#include "OstrelVirorez/Claude/ClaudeError.hpp"
#include "OstrelVirorez/Claude/ClaudeRewriter.hpp"
#include "OstrelVirorez/Claude/RewritingPrompts.hpp"
#include "OstrelVirorez/Model/KeychainHelper.hpp"
#include "Platform/Http/HttpClient.hpp"
#include "Platform/Http/HttpError.hpp"
#include "Platform/Keychain/FileKeychain.hpp"
#include "tests/OstrelVirorez/Claude/FakeLanguageRecognizer.hpp"
#include "tests/OstrelVirorez/Claude/FakeRewritingSettings.hpp"
#include "tests/Support/HttpTestServer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using namespace ostrelvirorez;
using testsupport::HttpTestReply;

// Sends through the real client and remembers each request as handed over.
class RecordingTransport : public platform::HttpTransport {
public:
    std::vector<platform::HttpRequest> sent;
    std::optional<platform::HttpError> failure;

    platform::HttpResponse send(const platform::HttpRequest& request, std::stop_token stop) override {
        sent.push_back(request);
        if (failure) throw *failure;
        return client_.send(request, stop);
    }
    platform::HttpDownload download(const platform::HttpRequest& request, const platform::HttpDownloadOptions& options,
                                    std::stop_token stop) override {
        return client_.download(request, options, stop);
    }

private:
    platform::HttpClient client_;
};

class ClaudeRewriterTest : public ::testing::Test {
protected:
    testsupport::TemporaryDirectory folder;
    platform::FileKeychain keychain{folder / "keychain.json"};
    testsupport::FakeRewritingSettings settings;
    testsupport::FakeLanguageRecognizer recognizer;
    RecordingTransport transport;
    testsupport::HttpTestServer server;
    ClaudeRewriter rewriter{{settings, transport, keychain, recognizer}, server.url("/v1/messages")};

    void SetUp() override { ASSERT_TRUE(KeychainHelper::save("claudeAPIKey", "sk-test", keychain)); }

    void replyWith(HttpTestReply reply) { server.reply("/v1/messages", std::move(reply)); }
    static HttpTestReply json(int status, const nlohmann::json& body) {
        return HttpTestReply::text(status, body.dump(), {{"content-type", "application/json"}});
    }
    std::string dictate(const std::string& text, const std::string& bundleIdentifier = "zar.apple.mail") {
        return rewriter.rewrite(text, bundleIdentifier, "Mail", {"CloudKit"}, false, std::nullopt, std::nullopt,
                                std::nullopt, std::nullopt);
    }
    template <typename Call>
    static ClaudeError claudeErrorOf(Call call) {
        try {
            call();
        } catch (const ClaudeError& error) {
            return error;
        }
        ADD_FAILURE() << "no ClaudeError thrown";
        return ClaudeError::parseError();
    }
};

TEST_F(ClaudeRewriterTest, SendsOneMessagesRequestAndReturnsTheTrimmedFirstTextBlock) {
    replyWith(json(200, {{"id", "msg"},
                         {"content", {{{"type", "text"}, {"text", "\n\n  Hallo,\n\nwie geht's?  \n"}},
                                      {{"type", "text"}, {"text", "ignored"}}}}}));
    settings.model = "claude-test-model";
    EXPECT_EQ(dictate("hallo wie gehts"), "Hallo,\n\nwie geht's?");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests.front();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/v1/messages");
    EXPECT_EQ(request.header("content-type"), "application/json");
    EXPECT_EQ(request.header("x-api-key"), "sk-test");
    EXPECT_EQ(request.header("anthropic-version"), "2023-06-01");

    const auto body = nlohmann::json::parse(request.body);
    EXPECT_EQ(body.size(), 5u);
    EXPECT_EQ(body.at("model"), "claude-test-model");
    EXPECT_EQ(body.at("max_tokens"), 2048);
    EXPECT_EQ(body.at("thinking"), (nlohmann::json{{"type", "disabled"}}));
    EXPECT_EQ(body.at("messages"), nlohmann::json::parse(R"([{"role":"user","content":"hallo wie gehts"}])"));
    // A dictation is never examined for its language.
    EXPECT_EQ(body.at("system"), RewritingProfile::defaults()[0].prompt +
                                     "\n\nActive App: \"Mail\"\n\nCustom Vocabulary (ALWAYS spell exactly like this):\nCloudKit");
    EXPECT_TRUE(recognizer.asked.empty());

    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent.front().timeout, std::chrono::milliseconds(15000));
    EXPECT_EQ(transport.sent.front().headers.fields().front().first, "content-type");
}

TEST_F(ClaudeRewriterTest, ClipboardRewriteNamesTheLanguageOfTheClipboardText) {
    replyWith(json(200, {{"content", {{{"text", "Fertig."}}}}}));
    recognizer.answer = LanguageHypothesis{"de", 0.9};
    const std::string clipboard = "Das ist ein deutscher Text aus der Zwischenablage.";
    EXPECT_EQ(rewriter.rewrite(clipboard, "zar.apple.mail", "Mail", {}, true, std::nullopt, std::nullopt, std::nullopt,
                               std::nullopt),
              "Fertig.");
    EXPECT_EQ(recognizer.asked, std::vector<std::string>{clipboard});
    const auto system = nlohmann::json::parse(server.requests().front().body).at("system").get<std::string>();
    EXPECT_TRUE(system.starts_with(RewritingPrompts::generalRewritePrompt() +
                                   "\n\n#1 MOST IMPORTANT RULE — OUTPUT LANGUAGE:\nThe clipboard text is written in German."));
}

TEST_F(ClaudeRewriterTest, ProfileOverrideIsUsedWithoutReadingTheStoredList) {
    replyWith(json(200, {{"content", {{{"text", "ok"}}}}}));
    RewritingProfile override;
    override.prompt = "OVERRIDE";
    settings.backtrack = true;
    rewriter.rewrite("text", "zar.apple.mail", "Mail", {}, false, std::nullopt, std::nullopt, override, std::nullopt);
    EXPECT_EQ(settings.profileReads, 0);
    const auto system = nlohmann::json::parse(server.requests().front().body).at("system").get<std::string>();
    EXPECT_TRUE(system.starts_with("OVERRIDE\n\nActive App: \"Mail\"\n\nBACKTRACK / SELF-CORRECTION:"));
}

TEST_F(ClaudeRewriterTest, MissingOrEmptyKeyFailsBeforeAnythingElse) {
    for (const bool stored : {false, true}) {
        if (stored) {
            ASSERT_TRUE(KeychainHelper::save("claudeAPIKey", "", keychain));
        } else {
            ASSERT_TRUE(KeychainHelper::deleteKey("claudeAPIKey", keychain));
        }
        const auto error = claudeErrorOf([&] { dictate("text"); });
        EXPECT_EQ(error.kind(), ClaudeErrorKind::noAPIKey);
        EXPECT_EQ(error.description(), "No Claude API Key configured");
    }
    EXPECT_EQ(settings.profileReads, 0);
    EXPECT_TRUE(transport.sent.empty());
}

TEST_F(ClaudeRewriterTest, EveryStatusButTwoHundredIsAnApiErrorWithTheBody) {
    const struct {
        int status;
        std::string body;
        std::string message;
    } cases[] = {
        {401, R"({"type":"error","error":{"type":"authentication_error","message":"invalid x-api-key"}})",
         R"({"type":"error","error":{"type":"authentication_error","message":"invalid x-api-key"}})"},
        {529, "Overloaded", "Overloaded"},
        {201, R"({"content":[{"text":"created"}]})", R"({"content":[{"text":"created"}]})"},
        {500, std::string("\xff\xfe", 2), "Unknown"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.status);
        replyWith(HttpTestReply::text(entry.status, entry.body));
        const auto error = claudeErrorOf([&] { dictate("text"); });
        EXPECT_EQ(error.kind(), ClaudeErrorKind::apiError);
        EXPECT_EQ(error.statusCode(), entry.status);
        EXPECT_EQ(error.description(), "Claude API error (" + std::to_string(entry.status) + "): " + entry.message);
    }
}

TEST_F(ClaudeRewriterTest, ReplyWithoutAUsableFirstTextBlockIsAParseError) {
    const std::string bodies[] = {
        R"({"content":[{"type":"tool_use"},{"type":"text","text":"later"}]})",
        R"({"content":[]})",
        R"({"content":[{"text":"a"},"b"]})",
        R"({"content":[{"text":5}]})",
        R"({"other":1})",
        R"([1,2])",
    };
    for (const auto& body : bodies) {
        SCOPED_TRACE(body);
        replyWith(HttpTestReply::text(200, body));
        EXPECT_EQ(claudeErrorOf([&] { dictate("text"); }).kind(), ClaudeErrorKind::parseError);
    }
}

TEST_F(ClaudeRewriterTest, MalformedJsonFailsWithTheParserError) {
    replyWith(HttpTestReply::text(200, "{not json"));
    EXPECT_THROW(dictate("text"), nlohmann::json::parse_error);
}

TEST_F(ClaudeRewriterTest, TransportFailurePassesThroughUnchanged) {
    transport.failure = platform::HttpError(platform::HttpErrorKind::timedOut);
    try {
        dictate("text");
        FAIL() << "expected HttpError";
    } catch (const platform::HttpError& error) {
        EXPECT_EQ(error.kind(), platform::HttpErrorKind::timedOut);
    }

    transport.failure.reset();
    ClaudeRewriter unreachable{{settings, transport, keychain, recognizer},
                               "http://127.0.0.1:" + std::to_string(testsupport::HttpTestServer::unusedPort()) +
                                   "/v1/messages"};
    EXPECT_THROW(unreachable.rewrite("t", "a", "A", {}, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt),
                 platform::HttpError);
}

TEST_F(ClaudeRewriterTest, InvalidBaseAddressIsReportedWithoutARequest) {
    ClaudeRewriter broken{{settings, transport, keychain, recognizer}, "not a url"};
    const auto error = claudeErrorOf(
        [&] { broken.rewrite("t", "a", "A", {}, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt); });
    EXPECT_EQ(error.kind(), ClaudeErrorKind::invalidURL);
    EXPECT_EQ(error.description(), "Invalid API URL");
    EXPECT_TRUE(transport.sent.empty());
}

TEST(ClaudeError, DescriptionsOfEveryCase) {
    EXPECT_EQ(ClaudeError::invalidResponse().description(), "Invalid server response");
    EXPECT_EQ(ClaudeError::parseError().description(), "Could not parse response");
    EXPECT_EQ(ClaudeError::apiError(404, "nope").description(), "Claude API error (404): nope");
}

} // namespace
