#pragma once
// What the download code of DownloadUtils shares among its own files: the
// logger, the authorised hub request, the HTML check, the file transfer with
// retries, the listing reader and the local-path safety check.

#include "Platform/Http/HttpTransport.hpp"
#include "RazeziRuzer/Shared/AppLogger.hpp"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace razeziruzer::DownloadUtils {

const AppLogger& logger();

// "HF_TOKEN", then "HUGGING_FACE_HUB_TOKEN", then "HUGGINGFACEHUB_API_TOKEN";
// the first one present wins, even when empty.
std::optional<std::string> huggingFaceToken();

// GET with the hub time-out and, when a token is set, "Authorization".
platform::HttpRequest authorizedRequest(std::string url);

// Throws htmlErrorResponse when a body that should be JSON is a web page.
void validateJSONResponse(std::string_view body, std::string_view path);

// Downloads to a temporary file beside destination, retrying rate limits,
// server errors and lost connections with back-off through the shared
// session's sleeper. Failed attempts leave no file behind.
platform::DownloadedFile downloadFileWithRetry(const platform::HttpRequest& request, std::string_view path,
                                               const platform::HttpProgressHandler& onProgress, int maxAttempts,
                                               double minBackoff, const std::filesystem::path& destination,
                                               std::stop_token stop);

// Logs the retry warning for a failed attempt and waits minBackoff x
// 2^(attempt - 1) seconds on the shared session's sleeper; a stop request
// ends the wait with the cancellation error.
void backOffBeforeRetry(int attempt, std::string_view what, const std::exception_ptr& failure, double minBackoff,
                        std::stop_token stop);

bool isRetryableDownloadError(const std::exception& error);
bool isRetryableDownloadError(const std::exception_ptr& error);


// One entry of a hub tree listing. Size is -1 when the listing gives none.
// A large-file-storage file has the SHA-256 of its content; any other file
// the git blob id of its content.
struct ListingEntry {
    std::string path;
    std::string type;
    std::int64_t size = -1;
    std::optional<std::string> sha256;
    std::optional<std::string> gitBlobId;
};

// The entries with a string "path" and "type", in reply order. Throws the
// JSON parser's error for a body that is not JSON and invalidResponse when it
// is not an array of objects.
std::vector<ListingEntry> parseListing(std::string_view body);

// True when a path from a listing names something below the folder it is
// placed in: relative, not empty, without ".." components or NUL bytes.
bool staysInsideFolder(std::string_view relativePath);

// True when something, even a dangling symbolic link, stands at the path.
bool itemExists(const std::filesystem::path& path);

// Makes the folder, replacing regular files that stand where a folder of the
// path belongs.
void createDirectoryRobustly(const std::filesystem::path& directory);

} // namespace razeziruzer::DownloadUtils
