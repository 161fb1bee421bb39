#include "Platform/Http/HttpClient.hpp"
#include "Platform/Http/HttpError.hpp"

#include "tests/Support/HttpTestServer.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

using testsupport::HttpTestReply;
using testsupport::HttpTestServer;

struct ProgressReport {
    std::int64_t written;
    std::optional<std::int64_t> expected;
};

std::string contents(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::size_t fileCount(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

std::string patterned(std::size_t size)
{
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>('a' + i % 26);
    return body;
}

class HttpClientDownload : public testing::Test {
protected:
    HttpDownloadOptions optionsRecordingProgress()
    {
        HttpDownloadOptions options;
        options.destination = folder.path() / "model.bin";
        options.onProgress = [this](std::int64_t written, std::optional<std::int64_t> expected) {
            reports.push_back({written, expected});
        };
        return options;
    }

    HttpRequest get(const std::string& path) const
    {
        HttpRequest request;
        request.url = server.url(path);
        return request;
    }

    HttpTestServer server;
    testsupport::TemporaryDirectory folder;
    std::vector<ProgressReport> reports;
};

TEST_F(HttpClientDownload, StreamsToATemporaryFileBesideTheDestinationWithProgress)
{
    const auto body = patterned(300 * 1024);
    auto detour = HttpTestReply::redirect("/model.bin");
    detour.body = "this body belongs to the redirect";
    server.reply("/old", detour);
    server.reply("/model.bin", HttpTestReply::text(200, body));
    const auto options = optionsRecordingProgress();

    auto download = HttpClient().download(get("/old"), options, {});

    EXPECT_EQ(download.response.status, 200);
    EXPECT_EQ(download.file.path().parent_path(), folder.path());
    EXPECT_EQ(contents(download.file.path()), body);
    ASSERT_FALSE(reports.empty());
    for (std::size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].expected, static_cast<std::int64_t>(body.size()));
        if (i > 0) {
            EXPECT_GT(reports[i].written, reports[i - 1].written);
        }
    }
    EXPECT_EQ(reports.back().written, static_cast<std::int64_t>(body.size()));

    download.file.moveTo(options.destination);
    EXPECT_EQ(contents(options.destination), body);
    EXPECT_EQ(fileCount(folder.path()), 1u);
}

TEST_F(HttpClientDownload, ReportsAnUnknownLengthForChunkedReplies)
{
    const auto body = patterned(100 * 1024);
    auto chunked = HttpTestReply::text(200, body);
    chunked.chunked = true;
    server.reply("/stream", chunked);

    auto download = HttpClient().download(get("/stream"), optionsRecordingProgress(), {});

    EXPECT_EQ(contents(download.file.path()), body);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().written, static_cast<std::int64_t>(body.size()));
    for (const auto& report : reports)
        EXPECT_FALSE(report.expected.has_value());
}

TEST_F(HttpClientDownload, CancellingFromTheProgressCallbackRemovesTheTemporaryFile)
{
    server.reply("/large", HttpTestReply::text(200, patterned(8 * 1024 * 1024)));
    std::stop_source stop;
    auto options = optionsRecordingProgress();
    options.onProgress = [&](std::int64_t written, std::optional<std::int64_t>) {
        reports.push_back({written, std::nullopt});
        stop.request_stop();
    };

    try {
        HttpClient().download(get("/large"), options, stop.get_token());
        FAIL() << "the download was not cancelled";
    } catch (const HttpError& error) {
        EXPECT_EQ(error.kind(), HttpErrorKind::cancelled);
        EXPECT_EQ(error.description(), "cancelled");
    }
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(fileCount(folder.path()), 0u);
}

TEST_F(HttpClientDownload, FailedTransfersAndDroppedFilesLeaveNothingBehind)
{
    auto cut = HttpTestReply::text(200, patterned(256 * 1024));
    cut.dropConnectionAfter = 64 * 1024;
    server.reply("/cut", cut);
    server.reply("/missing", HttpTestReply::html(404, "<html>gone</html>"));
    HttpClient client;

    EXPECT_THROW(client.download(get("/cut"), optionsRecordingProgress(), {}), HttpError);
    EXPECT_EQ(fileCount(folder.path()), 0u);

    auto throwing = optionsRecordingProgress();
    throwing.onProgress = [](std::int64_t, std::optional<std::int64_t>) { throw std::runtime_error("observer failed"); };
    EXPECT_THROW(client.download(get("/cut"), throwing, {}), std::runtime_error);
    EXPECT_EQ(fileCount(folder.path()), 0u);

    {
        // An error page is a reply like any other; the caller decides and
        // simply drops the file.
        auto download = client.download(get("/missing"), optionsRecordingProgress(), {});
        EXPECT_EQ(download.response.status, 404);
        EXPECT_EQ(contents(download.file.path()), "<html>gone</html>");
    }
    EXPECT_EQ(fileCount(folder.path()), 0u);
}

TEST_F(HttpClientDownload, UsesTheGivenTemporaryFolder)
{
    server.reply("/small", HttpTestReply::text(200, "tiny"));
    testsupport::TemporaryDirectory scratch;
    auto options = optionsRecordingProgress();
    options.temporaryFolder = scratch.path();

    auto download = HttpClient().download(get("/small"), options, {});

    EXPECT_EQ(download.file.path().parent_path(), scratch.path());
    download.file.moveTo(options.destination);
    EXPECT_EQ(contents(options.destination), "tiny");
    EXPECT_EQ(fileCount(scratch.path()), 0u);
}

} // namespace
} // namespace platform
