#include "OstrelVirorez/Services/FeedbackError.hpp"
#include "OstrelVirorez/Services/FeedbackService.hpp"
#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Files/Uuid.hpp"
#include "Platform/Http/HttpClient.hpp"
#include "Platform/Http/HttpError.hpp"

#include "tests/Support/HttpTestServer.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <future>
#include <stop_token>

namespace {

using namespace ostrelvirorez;
using testsupport::HttpTestReply;
using testsupport::HttpTestServer;

const std::string path = FeedbackService::recordsPath;

FeedbackService::Payload samplePayload() {
    FeedbackService::Payload payload;
    payload.text = "Die Aufnahme bricht ab – \"manchmal\"\nzweite Zeile";
    payload.userName = "Jo";
    payload.appVersion = "1.4.2 (57)";
    payload.osVersion = "Linux 6.1.0";
    payload.appModule = "OstrelVirorez \u2013 Einstellungen";
    payload.diagnose = "=== OstrelVirorez Diagnose ===\nEngine: Parakeet TDT v3";
    return payload;
}

// Passes every request on to the real client and keeps a copy of it: the
// loopback server takes a multipart body apart instead of recording it.
class RecordingTransport : public platform::HttpTransport {
public:
    explicit RecordingTransport(platform::HttpTransport& inner) : inner_(inner) {}

    platform::HttpResponse send(const platform::HttpRequest& request, std::stop_token stop) override {
        sent.push_back(request);
        return inner_.send(request, std::move(stop));
    }
    platform::HttpDownload download(const platform::HttpRequest& request, const platform::HttpDownloadOptions& options,
                                    std::stop_token stop) override {
        return inner_.download(request, options, std::move(stop));
    }

    std::vector<platform::HttpRequest> sent;

private:
    platform::HttpTransport& inner_;
};

HttpTestReply json(int status, std::string body) {
    auto reply = HttpTestReply::text(status, std::move(body));
    reply.contentType = "application/json";
    return reply;
}

class FeedbackServiceTest : public testing::Test {
protected:
    FeedbackServiceTest() { server.reply(path, json(201, R"({"id":"rec_42","text":"..."})")); }

    std::string send(const FeedbackService::Payload& payload) { return service.send(payload); }

    FeedbackError feedbackError(const std::function<void()>& action) {
        try {
            action();
        } catch (const FeedbackError& error) {
            return error;
        }
        ADD_FAILURE() << "no FeedbackError was thrown";
        return FeedbackError::invalidURL();
    }

    HttpTestServer server;
    platform::HttpClient realClient;
    RecordingTransport client{realClient};
    FeedbackService service{server.url(path), client};
};

TEST_F(FeedbackServiceTest, WithoutScreenshotPostsTheSixFieldsAsJSON) {
    EXPECT_EQ(send(samplePayload()), "rec_42");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, path);
    EXPECT_EQ(requests[0].header("Content-Type"), "application/json");
    const auto body = nlohmann::json::parse(requests[0].body);
    const auto payload = samplePayload();
    EXPECT_EQ(body, (nlohmann::json{{"text", payload.text},
                                    {"user_name", "Jo"},
                                    {"app_version", "1.4.2 (57)"},
                                    {"os_version", "Linux 6.1.0"},
                                    {"app_module", payload.appModule},
                                    {"diagnose", payload.diagnose}}));
    EXPECT_EQ(requests[0].body.find('\n'), std::string::npos) << "compact, not indented";
}

TEST_F(FeedbackServiceTest, WithScreenshotPostsAMultipartFormEndingWithThePNG) {
    auto payload = samplePayload();
    payload.text = "kurz";
    payload.diagnose = "";
    const char pngBytes[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR--";
    const std::string png(pngBytes, sizeof pngBytes - 1);
    payload.screenshotPNG = std::vector<std::uint8_t>(png.begin(), png.end());
    EXPECT_EQ(send(payload), "rec_42");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto contentType = requests[0].header("Content-Type").value_or("");
    const std::string prefix = "multipart/form-data; boundary=";
    ASSERT_EQ(contentType.rfind(prefix, 0), 0u) << contentType;
    const auto boundary = contentType.substr(prefix.size());
    ASSERT_EQ(boundary.rfind("----ODFeedback-", 0), 0u);
    const auto uuid = boundary.substr(15);
    ASSERT_EQ(uuid.size(), 36u);
    EXPECT_EQ(uuid, platform::Uuid::fromString(uuid).value().toString()) << "canonical upper-case form";

    const auto part = [&](const std::string& name, const std::string& value) {
        return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    };
    const auto expected = part("text", "kurz") + part("user_name", "Jo") + part("app_version", "1.4.2 (57)") +
                          part("os_version", "Linux 6.1.0") + part("app_module", payload.appModule) +
                          part("diagnose", "") + "--" + boundary +
                          "\r\nContent-Disposition: form-data; name=\"screenshot\"; filename=\"feedback.png\"\r\n"
                          "Content-Type: image/png\r\n\r\n" +
                          png + "\r\n--" + boundary + "--\r\n";
    ASSERT_EQ(client.sent.size(), 1u);
    EXPECT_EQ(client.sent[0].body, expected);
    EXPECT_EQ(client.sent[0].timeout, std::chrono::seconds(60));
}

TEST_F(FeedbackServiceTest, EveryMultipartUploadHasItsOwnBoundary) {
    auto payload = samplePayload();
    payload.screenshotPNG = std::vector<std::uint8_t>{0x89, 'P', 'N', 'G'};
    send(payload);
    send(payload);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].header("Content-Type"), requests[1].header("Content-Type"));
}

TEST_F(FeedbackServiceTest, RepliesWithoutAStringIdAreInvalid) {
    for (const auto& [status, body] : std::vector<std::pair<int, std::string>>{
             {200, R"([{"id":"rec_1"}])"}, {200, R"({"record":"rec_1"})"}, {201, R"({"id":5})"}, {200, "null"}}) {
        server.reply(path, json(status, body));
        const auto error = feedbackError([&] { send(samplePayload()); });
        EXPECT_EQ(error.kind(), FeedbackErrorKind::invalidResponse) << body;
        EXPECT_EQ(error.description(), "Ung\u00fcltige Antwort vom Feedback-Server");
    }
    server.reply(path, json(200, R"({"id":"ok"})"));
    EXPECT_EQ(send(samplePayload()), "ok");
}

TEST_F(FeedbackServiceTest, ErrorStatusCarriesTheFirst200CharactersOfTheBody) {
    std::string body;
    for (int i = 0; i < 250; ++i) body += "\u00e4b";  // 500 characters, 750 bytes
    server.reply(path, HttpTestReply::text(400, body));
    const auto error = feedbackError([&] { send(samplePayload()); });
    EXPECT_EQ(error.kind(), FeedbackErrorKind::httpError);
    EXPECT_EQ(error.statusCode(), 400);
    EXPECT_EQ(error.body(), body);
    std::string first200;
    for (int i = 0; i < 100; ++i) first200 += "\u00e4b";
    EXPECT_EQ(error.description(), "HTTP 400: " + first200);

    server.reply(path, HttpTestReply::text(500, "\xff\xfe broken"));
    EXPECT_EQ(feedbackError([&] { send(samplePayload()); }).description(), "HTTP 500: ");
    server.reply(path, json(302, R"({"id":"moved"})"));
    EXPECT_EQ(feedbackError([&] { send(samplePayload()); }).description(), R"(HTTP 302: {"id":"moved"})");
}

TEST_F(FeedbackServiceTest, SuccessWithABodyThatIsNotJSONFailsWithTheParserError) {
    server.reply(path, HttpTestReply::text(200, "<html>ok</html>"));
    EXPECT_THROW(send(samplePayload()), nlohmann::json::parse_error);
    server.reply(path, HttpTestReply::text(200, std::string(200000, '[')));
    EXPECT_THROW(send(samplePayload()), platform::JsonNestingError) << "a reply nested deeper than any record";
}

TEST_F(FeedbackServiceTest, InvalidEndpointFailsBeforeAnythingIsSent) {
    for (const std::string endpoint :
         {"", "kein url", "/api/collections/feedback/records", "https://", "https:///records", "ftp://host/records",
          "https://exa mple.org/api", "https://user@:443/api"}) {
        const FeedbackService broken(endpoint, client);
        const auto error = feedbackError([&] { broken.send(samplePayload()); });
        EXPECT_EQ(error.kind(), FeedbackErrorKind::invalidURL) << endpoint;
        EXPECT_EQ(error.description(), "Ung\u00fcltige Feedback-URL");
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(FeedbackServiceTest, TransportFailuresReachTheCallerUnchanged) {
    const FeedbackService unreachable(
        "http://127.0.0.1:" + std::to_string(HttpTestServer::unusedPort()) + FeedbackService::recordsPath, client);
    try {
        unreachable.send(samplePayload());
        ADD_FAILURE() << "nothing was thrown";
    } catch (const platform::HttpError& error) {
        EXPECT_EQ(error.kind(), platform::HttpErrorKind::cannotConnect);
    }
}

TEST_F(FeedbackServiceTest, AStopRequestCancelsAnUploadWaitingForItsReply) {
    std::promise<void> arrived;
    server.handle(path, [&](const testsupport::HttpRecordedRequest&) {
        arrived.set_value();
        auto reply = json(201, R"({"id":"too_late"})");
        reply.held = true;
        return reply;
    });
    std::stop_source stop;
    auto upload = std::async(std::launch::async, [&] { return service.send(samplePayload(), stop.get_token()); });
    arrived.get_future().wait();
    stop.request_stop();
    try {
        upload.get();
        ADD_FAILURE() << "the upload was not cancelled";
    } catch (const platform::HttpError& error) {
        EXPECT_EQ(error.kind(), platform::HttpErrorKind::cancelled);
    }
    server.release();
}

TEST_F(FeedbackServiceTest, TextThatIsNotUtf8CannotBeEncodedAsJSON) {
    auto payload = samplePayload();
    payload.userName = "\xC3";
    EXPECT_THROW(send(payload), nlohmann::json::type_error);
    EXPECT_TRUE(server.requests().empty());
}

} // namespace
