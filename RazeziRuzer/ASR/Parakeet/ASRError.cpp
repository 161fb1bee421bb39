#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"

#include "Platform/Core/Error.hpp"

namespace razeziruzer {

ASRError ASRError::processingFailed(const std::string& message) {
    ASRError error(ASRErrorKind::processingFailed, "ASR processing failed: " + message);
    error.message_ = message;
    return error;
}

ASRError ASRError::unsupportedPlatform(const std::string& message) {
    ASRError error(ASRErrorKind::unsupportedPlatform, message);
    error.message_ = message;
    return error;
}

ASRError ASRError::streamingConversionFailed(std::exception_ptr underlying) {
    ASRError error(ASRErrorKind::streamingConversionFailed,
                   "Streaming audio conversion failed: " + platform::describeError(underlying));
    error.underlying_ = std::move(underlying);
    return error;
}

ASRError ASRError::fileAccessFailed(const std::filesystem::path& url, std::exception_ptr underlying) {
    ASRError error(ASRErrorKind::fileAccessFailed,
                   "Failed to access audio file at " + url.string() + ": " + platform::describeError(underlying));
    error.underlying_ = std::move(underlying);
    error.url_ = url;
    return error;
}

ASRError ASRError::notInitialized() {
    return {ASRErrorKind::notInitialized, "AsrManager not initialized. Call initialize() first."};
}

ASRError ASRError::invalidAudioData() {
    return {ASRErrorKind::invalidAudioData, "Invalid audio data provided. Must be at least 300ms of 16kHz audio."};
}

ASRError ASRError::modelLoadFailed() { return {ASRErrorKind::modelLoadFailed, "Failed to load Parakeet CoreML models."}; }

ASRError ASRError::modelCompilationFailed() {
    return {ASRErrorKind::modelCompilationFailed, "CoreML model compilation failed after recovery attempts."};
}

} // namespace razeziruzer
