#include "Platform/Http/HttpClient.hpp"
#include "Platform/Http/HttpError.hpp"

#include "tests/Support/HttpTestServer.hpp"
#include "tests/Support/ScopedEnvironment.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace platform {
namespace {

using testsupport::HttpRecordedRequest;
using testsupport::HttpTestReply;
using testsupport::HttpTestServer;

HttpErrorKind failureKind(const std::function<void()>& action)
{
    try {
        action();
    } catch (const HttpError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no HttpError was thrown";
    return HttpErrorKind::other;
}

HttpRequest makeRequest(std::string method, std::string url, std::string body = {})
{
    HttpRequest request;
    request.method = std::move(method);
    request.url = std::move(url);
    request.body = std::move(body);
    return request;
}

HttpRequest get(std::string url)
{
    return makeRequest("GET", std::move(url));
}

HttpClient clientWith(HttpProxySettings proxies, long maxRedirects = 20)
{
    HttpClientConfiguration configuration;
    configuration.proxies = std::move(proxies);
    configuration.maxRedirects = maxRedirects;
    return HttpClient(configuration);
}

TEST(HttpClient, PostSendsHeadersAndBodyAndReturnsTheReply)
{
    HttpTestServer server;
    server.handle("/v1/messages", [](const HttpRecordedRequest& request) {
        auto reply = HttpTestReply::text(201, "got " + request.body, {{"X-Echo", request.header("x-api-key").value_or("")}});
        reply.contentType = "application/json";
        return reply;
    });
    auto request = makeRequest("POST", server.url("/v1/messages"), R"({"model":"m"})");
    request.headers = {{"content-type", "application/json"}, {"x-api-key", "k1"}};

    const auto response = HttpClient().send(request, {});

    EXPECT_EQ(response.status, 201);
    EXPECT_EQ(response.body, R"(got {"model":"m"})");
    EXPECT_EQ(response.headers.value("x-echo"), "k1");
    EXPECT_EQ(response.headers.value("CONTENT-TYPE"), "application/json");
    ASSERT_EQ(server.requests().size(), 1u);
    const auto received = server.requests().front();
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.header("Content-Type"), "application/json");
    EXPECT_EQ(received.body, R"({"model":"m"})");
}

TEST(HttpClient, SendsBodiesAsGivenForEveryMethod)
{
    HttpTestServer server;
    server.reply("/thing", HttpTestReply::text(200, "ok"));
    const std::string largeBody(2 * 1024 * 1024, 'x');

    for (const std::string method : {"GET", "POST", "PUT", "PATCH", "DELETE"}) {
        SCOPED_TRACE(method);
        const std::string body = method == "GET" ? "" : largeBody;
        const auto response = HttpClient().send(makeRequest(method, server.url("/thing"), body), {});
        EXPECT_EQ(response.status, 200);
        const auto received = server.requests().back();
        EXPECT_EQ(received.method, method);
        EXPECT_EQ(received.body, body);
        // Nothing the caller did not ask for: no form content type, no
        // 100-continue handshake.
        EXPECT_FALSE(received.header("Content-Type").has_value());
        EXPECT_FALSE(received.header("Expect").has_value());
    }
}

TEST(HttpClient, ErrorStatusesAndHtmlPagesAreReplies)
{
    HttpTestServer server;
    const std::string page = "<!DOCTYPE html><html><body>Service Unavailable</body></html>";
    server.reply("/busy", HttpTestReply::html(503, page));
    server.reply("/limited", HttpTestReply::text(429, "slow down", {{"Retry-After", "3"}}));

    const auto busy = HttpClient().send(get(server.url("/busy")), {});
    EXPECT_EQ(busy.status, 503);
    EXPECT_EQ(busy.body, page);
    EXPECT_EQ(busy.headers.value("content-type"), "text/html; charset=utf-8");

    const auto limited = HttpClient().send(get(server.url("/limited")), {});
    EXPECT_EQ(limited.status, 429);
    EXPECT_EQ(limited.headers.value("retry-after"), "3");

    EXPECT_EQ(HttpClient().send(get(server.url("/unknown")), {}).status, 404);
}

TEST(HttpClient, ClassifiesTransportFailures)
{
    HttpTestServer server;
    auto held = HttpTestReply::text(200, "late");
    held.held = true;
    server.reply("/slow", held);
    auto cut = HttpTestReply::text(200, std::string(200 * 1024, 'b'));
    cut.dropConnectionAfter = 1000;
    server.reply("/cut", cut);
    HttpClient client;

    auto slow = get(server.url("/slow"));
    slow.timeout = std::chrono::milliseconds(200);
    EXPECT_EQ(failureKind([&] { client.send(slow, {}); }), HttpErrorKind::timedOut);

    // A stalled transfer ends after the idle time-out even with no overall limit.
    auto stalled = get(server.url("/slow"));
    stalled.idleTimeout = std::chrono::seconds(1);
    EXPECT_EQ(failureKind([&] { client.send(stalled, {}); }), HttpErrorKind::timedOut);

    const auto closedPort = "http://127.0.0.1:" + std::to_string(HttpTestServer::unusedPort()) + "/";
    EXPECT_EQ(failureKind([&] { client.send(get(closedPort), {}); }), HttpErrorKind::cannotConnect);

    EXPECT_EQ(failureKind([&] { client.send(get(server.url("/cut")), {}); }), HttpErrorKind::connectionLost);

    auto secure = get(server.url("/"));
    secure.url.replace(0, 4, "https");
    secure.timeout = std::chrono::seconds(10);
    EXPECT_EQ(failureKind([&] { client.send(secure, {}); }), HttpErrorKind::tls);
}

TEST(HttpClient, FollowsRedirectsAndKeepsOnlyTheLastReplysHeaders)
{
    HttpTestServer server;
    auto first = HttpTestReply::redirect("/b");
    first.headers.emplace_back("X-Hop", "a");
    server.reply("/a", first);
    server.reply("/b", HttpTestReply::redirect(server.url("/c"), 301));
    server.reply("/c", HttpTestReply::text(200, "final", {{"X-Hop", "c"}}));

    const auto response = HttpClient().send(get(server.url("/a")), {});

    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "final");
    EXPECT_EQ(response.headers.values("x-hop"), std::vector<std::string>{"c"});
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST(HttpClient, StopsAtTheRedirectLimitAndNeverLeavesHttp)
{
    HttpTestServer server;
    server.reply("/loop", HttpTestReply::redirect("/loop"));
    server.reply("/local", HttpTestReply::redirect("file:///etc/passwd"));
    auto client = clientWith({}, 3);

    EXPECT_EQ(failureKind([&] { client.send(get(server.url("/loop")), {}); }), HttpErrorKind::tooManyRedirects);
    EXPECT_EQ(server.requests().size(), 4u);
    EXPECT_EQ(failureKind([&] { client.send(get(server.url("/local")), {}); }), HttpErrorKind::other);
}

TEST(HttpClient, UsesTheConfiguredProxyEvenForHostsTheEnvironmentExcludes)
{
    HttpTestServer proxy;
    const auto target = "http://127.0.0.1:" + std::to_string(HttpTestServer::unusedPort()) + "/model.bin";
    proxy.reply(target, HttpTestReply::text(200, "via proxy"));
    testsupport::ScopedEnvironment environment;
    environment.set("no_proxy", "127.0.0.1,localhost");
    environment.set("NO_PROXY", "127.0.0.1,localhost");
    HttpProxySettings proxies;
    proxies.http = HttpProxy{"127.0.0.1", static_cast<std::uint16_t>(proxy.port())};
    auto client = clientWith(proxies);

    const auto response = client.send(get(target), {});

    EXPECT_EQ(response.body, "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests().front().target, target);

    // A request's own proxy settings replace the client's.
    auto direct = get(target);
    direct.proxies = HttpProxySettings{};
    EXPECT_EQ(failureKind([&] { client.send(direct, {}); }), HttpErrorKind::cannotConnect);
}

TEST(HttpClient, IgnoresProxiesFromTheEnvironment)
{
    HttpTestServer server;
    server.reply("/plain", HttpTestReply::text(200, "direct"));
    const auto deadProxy = "http://127.0.0.1:" + std::to_string(HttpTestServer::unusedPort());
    testsupport::ScopedEnvironment environment;
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        environment.set(name, deadProxy);

    const auto response = HttpClient().send(get(server.url("/plain")), {});

    EXPECT_EQ(response.body, "direct");
    EXPECT_EQ(server.requests().front().target, "/plain");
}

TEST(HttpClient, RefusesUnsafeRequestsAndStoppedTokensBeforeSending)
{
    HttpTestServer server;
    HttpClient client;
    auto injected = get(server.url("/x"));
    injected.headers.add("X-Token", "a\r\nX-Admin: 1");
    auto badMethod = get(server.url("/x"));
    badMethod.method = "GET /other";
    std::stop_source stopped;
    stopped.request_stop();

    EXPECT_EQ(failureKind([&] { client.send(injected, {}); }), HttpErrorKind::other);
    EXPECT_EQ(failureKind([&] { client.send(badMethod, {}); }), HttpErrorKind::other);
    EXPECT_EQ(failureKind([&] { client.send(get(server.url("/x")), stopped.get_token()); }),
              HttpErrorKind::cancelled);
    EXPECT_TRUE(server.requests().empty());
}

} // namespace
} // namespace platform
