#include "RazeziRuzer/DownloadUtilsInternal.hpp"

#include "Platform/Concurrency/ManualClock.hpp"
#include "Platform/Files/FileContents.hpp"
#include "Platform/Http/HttpError.hpp"
#include "tests/RazeziRuzer/Download/HubFixture.hpp"

#include <atomic>
#include <thread>

namespace razeziruzer::DownloadUtils {
namespace {

using downloadtest::HubFixture;
using testsupport::HttpTestReply;

class FileTransferRetryTests : public HubFixture {
protected:
    std::filesystem::path destination() const { return folder / "out" / "weight.bin"; }

    platform::DownloadedFile fetch(int maxAttempts, std::stop_token stop = {}) {
        std::filesystem::create_directories(destination().parent_path());
        return downloadFileWithRetry(authorizedRequest(server.url("/file")), "weight.bin", nullptr, maxAttempts, 1.0,
                                     destination(), std::move(stop));
    }

    // Answers with the given statuses in turn, then 200 with "payload".
    void script(std::vector<int> statuses) {
        server.handle("/file", [statuses, calls = std::make_shared<std::atomic<std::size_t>>(0)](const auto&) {
            const auto call = (*calls)++;
            if (call < statuses.size()) return HttpTestReply::text(statuses[call], "error page");
            return HttpTestReply::text(200, "payload");
        });
    }

    template <typename Check>
    void expectFailure(int maxAttempts, Check check) {
        try {
            fetch(maxAttempts);
            FAIL() << "expected the download to fail";
        } catch (const HuggingFaceDownloadError& error) {
            check(error);
        }
    }
};

TEST_F(FileTransferRetryTests, ServerErrorsAreRetriedWithDoublingWaitsAndLeaveNoFiles) {
    script({500, 500, 500, 500});
    expectFailure(4, [](const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::downloadFailed);
        EXPECT_EQ(error.underlying().code(), 500);
        EXPECT_EQ(error.path(), "weight.bin");
    });
    EXPECT_EQ(server.requests().size(), 4u);
    EXPECT_EQ(sleeper.sleptSeconds(), (std::vector<double>{1.0, 2.0, 4.0}));
    EXPECT_EQ(retryWarningCount(), 3u);
    for (const auto* delay : {"Retrying in 1.0s.", "Retrying in 2.0s.", "Retrying in 4.0s."}) {
        EXPECT_TRUE(log.contains(delay)) << delay;
    }
    EXPECT_TRUE(log.contains("Download attempt 1 for weight.bin failed: Failed to download weight.bin: "));
    EXPECT_TRUE(filesBelow(folder / "out").empty());
}

TEST_F(FileTransferRetryTests, ARateLimitIsRetriedOnceThenTheFileArrives) {
    script({429});
    auto file = fetch(4);
    EXPECT_EQ(platform::files::readFile(file.path()), "payload");
    EXPECT_EQ(sleeper.sleptSeconds(), (std::vector<double>{1.0}));
    EXPECT_EQ(retryWarningCount(), 1u);
    file.moveTo(destination());
    EXPECT_EQ(filesBelow(folder / "out"), (std::vector<std::string>{"weight.bin"}));
}

TEST_F(FileTransferRetryTests, FinalFailuresEndAtOnce) {
    script({404});
    expectFailure(4, [](const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::downloadFailed);
        EXPECT_EQ(error.underlying().code(), 404);
        EXPECT_EQ(HTTPStatusError::domain, "HTTP");
    });
    script({503});
    expectFailure(1, [](const HuggingFaceDownloadError& error) {
        EXPECT_EQ(error.kind(), HuggingFaceDownloadErrorKind::rateLimited);
        EXPECT_EQ(error.statusCode(), 503);
        EXPECT_EQ(error.description(), "Hugging Face rate limit encountered: Rate limited while downloading weight.bin");
    });
    EXPECT_TRUE(sleeper.sleptSeconds().empty());
    EXPECT_EQ(retryWarningCount(), 0u);
    EXPECT_TRUE(filesBelow(folder / "out").empty());
}

TEST_F(FileTransferRetryTests, ABrokenTransferIsRetriedAndItsPartialFileRemoved) {
    server.handle("/file", [calls = std::make_shared<std::atomic<int>>(0)](const auto&) {
        auto reply = HttpTestReply::text(200, std::string(4096, 'p'));
        if ((*calls)++ == 0) reply.dropConnectionAfter = 1000;
        return reply;
    });
    auto file = fetch(4);
    EXPECT_EQ(platform::files::readFile(file.path()).size(), 4096u);
    EXPECT_EQ(sleeper.sleptSeconds(), (std::vector<double>{1.0}));
    EXPECT_EQ(filesBelow(folder / "out").size(), 1u);
}

TEST_F(FileTransferRetryTests, AStopDuringTheBackOffEndsWithCancellation) {
    platform::ManualClock clock;
    sharedSession().setSleeper(&clock);
    script({503, 503});
    std::stop_source stop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            fetch(4, stop.get_token());
        } catch (...) {
            failure = std::current_exception();
        }
    });
    ASSERT_TRUE(clock.waitForParkedSleepers(1));
    stop.request_stop();
    worker.join();
    sharedSession().setSleeper(&sleeper);

    ASSERT_TRUE(failure);
    try {
        std::rethrow_exception(failure);
    } catch (const platform::HttpError& error) {
        EXPECT_EQ(error.kind(), platform::HttpErrorKind::cancelled);
    }
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(IsRetryableDownloadErrorTests, OnlyPassingTroubleIsRetried) {
    using platform::HttpError;
    using platform::HttpErrorKind;
    EXPECT_TRUE(isRetryableDownloadError(HttpError(HttpErrorKind::timedOut)));
    EXPECT_TRUE(isRetryableDownloadError(HttpError(HttpErrorKind::cannotConnect)));
    EXPECT_TRUE(isRetryableDownloadError(HttpError(HttpErrorKind::connectionLost)));
    EXPECT_FALSE(isRetryableDownloadError(HttpError(HttpErrorKind::cancelled)));
    EXPECT_FALSE(isRetryableDownloadError(HttpError(HttpErrorKind::other)));
    EXPECT_TRUE(isRetryableDownloadError(HuggingFaceDownloadError::rateLimited(429, "x")));
    EXPECT_TRUE(isRetryableDownloadError(HuggingFaceDownloadError::downloadFailed("p", HTTPStatusError(503))));
    EXPECT_TRUE(isRetryableDownloadError(HuggingFaceDownloadError::downloadFailed("p", HTTPStatusError(599))));
    EXPECT_FALSE(isRetryableDownloadError(HuggingFaceDownloadError::downloadFailed("p", HTTPStatusError(404))));
    EXPECT_FALSE(isRetryableDownloadError(HuggingFaceDownloadError::invalidResponse()));
    EXPECT_FALSE(isRetryableDownloadError(HuggingFaceDownloadError::modelNotFound("m")));
    EXPECT_FALSE(isRetryableDownloadError(std::runtime_error("other")));
}

} // namespace
} // namespace razeziruzer::DownloadUtils
