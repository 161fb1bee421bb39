#pragma once
// The errors of the speech package's downloads: the offline refusal, and what
// can go wrong talking to the model hub.

#include "Platform/Core/Error.hpp"

#include <string>
#include <vector>

namespace razeziruzer::DownloadUtils {

enum class OfflineErrorKind { networkDisabled, modelMissing };

class OfflineError : public platform::ErrorOf<OfflineErrorKind> {
public:
    static OfflineError networkDisabled(std::string operation);
    static OfflineError modelMissing(std::string repo, std::vector<std::string> missing);

    const std::string& operation() const { return operation_; }
    const std::string& repo() const { return repo_; }
    const std::vector<std::string>& missing() const { return missing_; }

private:
    OfflineError(OfflineErrorKind kind, const std::string& description);

    std::string operation_;
    std::string repo_;
    std::vector<std::string> missing_;
};

// An HTTP status that ended a transfer, as the underlying cause of a failed
// download.
class HTTPStatusError : public platform::Error {
public:
    explicit HTTPStatusError(int code);

    static constexpr std::string_view domain = "HTTP";
    int code() const { return code_; }

private:
    int code_;
};

enum class HuggingFaceDownloadErrorKind { rateLimited, downloadFailed, modelNotFound, htmlErrorResponse, invalidResponse };

class HuggingFaceDownloadError : public platform::ErrorOf<HuggingFaceDownloadErrorKind> {
public:
    static HuggingFaceDownloadError rateLimited(int statusCode, std::string message);
    static HuggingFaceDownloadError downloadFailed(std::string path, HTTPStatusError underlying);
    static HuggingFaceDownloadError modelNotFound(std::string path);
    // Keeps the first 100 characters of snippet.
    static HuggingFaceDownloadError htmlErrorResponse(std::string path, std::string_view snippet);
    static HuggingFaceDownloadError invalidResponse();

    int statusCode() const { return statusCode_; }
    const std::string& message() const { return message_; }
    const std::string& path() const { return path_; }
    const std::string& snippet() const { return snippet_; }
    // downloadFailed only.
    const HTTPStatusError& underlying() const { return underlying_; }

private:
    HuggingFaceDownloadError(HuggingFaceDownloadErrorKind kind, const std::string& description);

    int statusCode_ = 0;
    std::string message_;
    std::string path_;
    std::string snippet_;
    HTTPStatusError underlying_{0};
};

} // namespace razeziruzer::DownloadUtils
