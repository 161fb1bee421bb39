#include "RazeziRuzer/DownloadUtils.hpp"
#include "RazeziRuzer/DownloadUtilsInternal.hpp"

#include "Platform/Core/Error.hpp"
#include "Platform/Http/HttpError.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace razeziruzer::DownloadUtils {
namespace {

platform::DownloadedFile attemptDownload(const platform::HttpRequest& request, std::string_view path,
                                         const platform::HttpProgressHandler& onProgress,
                                         const std::filesystem::path& destination, std::stop_token stop) {
    auto download = sharedSession().download(request, {destination, std::nullopt, onProgress}, std::move(stop));
    const int status = download.response.status;
    if (status < 100) throw HuggingFaceDownloadError::invalidResponse();
    if (status == 429 || status == 503) {
        throw HuggingFaceDownloadError::rateLimited(status, "Rate limited while downloading " + std::string(path));
    }
    if (status < 200 || status > 299) {
        throw HuggingFaceDownloadError::downloadFailed(std::string(path), HTTPStatusError(status));
    }
    return std::move(download.file);
}

std::string formattedSeconds(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

} // namespace

bool isRetryableDownloadError(const std::exception& error) {
    if (const auto* transport = dynamic_cast<const platform::HttpError*>(&error)) {
        switch (transport->kind()) {
        case platform::HttpErrorKind::timedOut:
        case platform::HttpErrorKind::cannotConnect:
        case platform::HttpErrorKind::hostNotFound:
        case platform::HttpErrorKind::connectionLost:
        case platform::HttpErrorKind::tls: return true;
        case platform::HttpErrorKind::cancelled:
        case platform::HttpErrorKind::tooManyRedirects:
        case platform::HttpErrorKind::replyTooLarge:
        case platform::HttpErrorKind::other: return false;
        }
        return false;
    }
    if (const auto* hub = dynamic_cast<const HuggingFaceDownloadError*>(&error)) {
        if (hub->kind() == HuggingFaceDownloadErrorKind::rateLimited) return true;
        if (hub->kind() == HuggingFaceDownloadErrorKind::downloadFailed) {
            const int code = hub->underlying().code();
            return code >= 500 && code <= 599;
        }
    }
    return false;
}

bool isRetryableDownloadError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& failure) {
        return isRetryableDownloadError(failure);
    } catch (...) {
        return false;
    }
}

void backOffBeforeRetry(int attempt, std::string_view what, const std::exception_ptr& failure, double minBackoff,
                        std::stop_token stop) {
    const double delay = minBackoff * std::pow(2.0, attempt - 1);
    logger().warning("Download attempt " + std::to_string(attempt) + " for " + std::string(what) +
                     " failed: " + platform::describeError(failure, "unknown error") + ". Retrying in " +
                     formattedSeconds(delay) + "s.");
    const auto wait = std::chrono::duration_cast<platform::Clock::Duration>(std::chrono::duration<double>(delay));
    if (sharedSession().sleeper().sleepFor(wait, std::move(stop)) == platform::SleepResult::cancelled) {
        throw platform::HttpError(platform::HttpErrorKind::cancelled);
    }
}

platform::DownloadedFile downloadFileWithRetry(const platform::HttpRequest& request, std::string_view path,
                                               const platform::HttpProgressHandler& onProgress, int maxAttempts,
                                               double minBackoff, const std::filesystem::path& destination,
                                               std::stop_token stop) {
    for (int attempt = 1;; ++attempt) {
        std::exception_ptr failure;
        try {
            return attemptDownload(request, path, onProgress, destination, stop);
        } catch (...) {
            failure = std::current_exception();
        }
        if (attempt >= maxAttempts || !isRetryableDownloadError(failure)) std::rethrow_exception(failure);

        backOffBeforeRetry(attempt, path, failure, minBackoff, stop);
    }
}

} // namespace razeziruzer::DownloadUtils
