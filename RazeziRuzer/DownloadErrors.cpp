#include "RazeziRuzer/DownloadErrors.hpp"

#include "Platform/Text/Characters.hpp"

namespace razeziruzer::DownloadUtils {
namespace {

std::string joinedWithCommas(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text;
}

} // namespace

OfflineError::OfflineError(OfflineErrorKind kind, const std::string& description) : ErrorOf(kind, description) {}

OfflineError OfflineError::networkDisabled(std::string operation) {
    OfflineError error(OfflineErrorKind::networkDisabled, "RazeziRuzer offline mode: " + operation + " blocked");
    error.operation_ = std::move(operation);
    return error;
}

OfflineError OfflineError::modelMissing(std::string repo, std::vector<std::string> missing) {
    OfflineError error(OfflineErrorKind::modelMissing, "RazeziRuzer offline mode: required models missing for " +
                                                            repo + ": " + joinedWithCommas(missing));
    error.repo_ = std::move(repo);
    error.missing_ = std::move(missing);
    return error;
}

HTTPStatusError::HTTPStatusError(int code)
    : Error("The operation couldn't be completed. (HTTP error " + std::to_string(code) + ".)"), code_(code) {}

HuggingFaceDownloadError::HuggingFaceDownloadError(HuggingFaceDownloadErrorKind kind, const std::string& description)
    : ErrorOf(kind, description) {}

HuggingFaceDownloadError HuggingFaceDownloadError::rateLimited(int statusCode, std::string message) {
    HuggingFaceDownloadError error(HuggingFaceDownloadErrorKind::rateLimited,
                                   "Hugging Face rate limit encountered: " + message);
    error.statusCode_ = statusCode;
    error.message_ = std::move(message);
    return error;
}

HuggingFaceDownloadError HuggingFaceDownloadError::downloadFailed(std::string path, HTTPStatusError underlying) {
    HuggingFaceDownloadError error(HuggingFaceDownloadErrorKind::downloadFailed,
                                   "Failed to download " + path + ": " + underlying.description());
    error.path_ = std::move(path);
    error.underlying_ = std::move(underlying);
    return error;
}

HuggingFaceDownloadError HuggingFaceDownloadError::modelNotFound(std::string path) {
    HuggingFaceDownloadError error(HuggingFaceDownloadErrorKind::modelNotFound, "Model file not found: " + path);
    error.path_ = std::move(path);
    return error;
}

HuggingFaceDownloadError HuggingFaceDownloadError::htmlErrorResponse(std::string path, std::string_view snippet) {
    const auto cut = platform::text::prefix(snippet, 100);
    HuggingFaceDownloadError error(HuggingFaceDownloadErrorKind::htmlErrorResponse,
                                   "HuggingFace returned HTML instead of JSON for " + path +
                                       " (rate limit or server issue): " + cut);
    error.path_ = std::move(path);
    error.snippet_ = cut;
    return error;
}

HuggingFaceDownloadError HuggingFaceDownloadError::invalidResponse() {
    return HuggingFaceDownloadError(HuggingFaceDownloadErrorKind::invalidResponse,
                                    "Received an invalid response from Hugging Face.");
}

} // namespace razeziruzer::DownloadUtils
