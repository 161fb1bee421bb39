// A request may cap the reply it takes: a server that answers with more (or
// without end) ends the transfer with a clear error instead of filling memory
// or the disk.

#include "Platform/Http/HttpClient.hpp"
#include "Platform/Http/HttpError.hpp"

#include "tests/Support/HttpTestServer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace platform {
namespace {

using testsupport::HttpTestReply;
using testsupport::HttpTestServer;

constexpr std::uint64_t cap = 64 * 1024;

HttpTestReply replyOf(std::size_t bytes, bool chunked) {
    auto reply = HttpTestReply::text(200, std::string(bytes, 'x'));
    reply.chunked = chunked;
    return reply;
}

HttpRequest cappedGet(const HttpTestServer& server) {
    HttpRequest request;
    request.url = server.url("/reply");
    request.maxReplyBytes = cap;
    return request;
}

TEST(HttpReplyCap, RepliesUpToTheCapArriveWholeAndLongerOnesFail) {
    HttpTestServer server;
    HttpClient client;
    struct Case {
        std::string name;
        std::size_t bytes;
        bool chunked;
        bool fails;
    };
    const std::vector<Case> cases{
        {"announced, exactly the cap", cap, false, false},
        {"announced, one byte more", cap + 1, false, true},
        {"chunked, exactly the cap", cap, true, false},
        {"chunked, one byte more", cap + 1, true, true},
        {"chunked, far more", 64 * cap, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.reply("/reply", replyOf(c.bytes, c.chunked));
        if (!c.fails) {
            EXPECT_EQ(client.send(cappedGet(server), {}).body.size(), c.bytes);
            continue;
        }
        try {
            client.send(cappedGet(server), {});
            ADD_FAILURE() << "the reply was taken";
        } catch (const HttpError& error) {
            EXPECT_EQ(error.kind(), HttpErrorKind::replyTooLarge);
            EXPECT_NE(error.description().find("reply too large"), std::string::npos) << error.description();
        }
    }
    // Without a cap nothing changes.
    auto uncapped = cappedGet(server);
    uncapped.maxReplyBytes.reset();
    EXPECT_EQ(client.send(uncapped, {}).body.size(), 64 * cap);
}

TEST(HttpReplyCap, ACappedDownloadLeavesNoFileBehind) {
    HttpTestServer server;
    testsupport::TemporaryDirectory folder;
    server.reply("/reply", replyOf(4 * cap, true));
    HttpDownloadOptions options;
    options.destination = folder / "file.bin";
    try {
        HttpClient().download(cappedGet(server), options, {});
        ADD_FAILURE() << "the download finished";
    } catch (const HttpError& error) {
        EXPECT_EQ(error.kind(), HttpErrorKind::replyTooLarge);
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

} // namespace
} // namespace platform
