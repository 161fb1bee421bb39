#pragma once
// Failures shared by the speech package's recognisers. Errors of other
// components travel unchanged; the two cases that carry one keep it whole and
// show only its description.

#include "Platform/Core/Error.hpp"

#include <exception>
#include <filesystem>
#include <optional>
#include <string>

namespace razeziruzer {

enum class ASRErrorKind {
    processingFailed,
    unsupportedPlatform,
    streamingConversionFailed,
    fileAccessFailed,
    notInitialized,
    invalidAudioData,
    modelLoadFailed,
    modelCompilationFailed,
};

class ASRError : public platform::ErrorOf<ASRErrorKind> {
public:
    static ASRError processingFailed(const std::string& message);
    static ASRError unsupportedPlatform(const std::string& message);
    static ASRError streamingConversionFailed(std::exception_ptr underlying);
    static ASRError fileAccessFailed(const std::filesystem::path& url, std::exception_ptr underlying);
    static ASRError notInitialized();
    static ASRError invalidAudioData();
    static ASRError modelLoadFailed();
    static ASRError modelCompilationFailed();

    std::optional<std::string> errorDescription() const { return description(); }
    // The message of processingFailed and unsupportedPlatform.
    const std::string& message() const { return message_; }
    // The error inside streamingConversionFailed and fileAccessFailed.
    const std::exception_ptr& underlyingError() const { return underlying_; }
    // The file of fileAccessFailed.
    const std::filesystem::path& url() const { return url_; }

private:
    ASRError(ASRErrorKind kind, const std::string& description) : ErrorOf(kind, description) {}

    std::string message_;
    std::exception_ptr underlying_;
    std::filesystem::path url_;
};

} // namespace razeziruzer
