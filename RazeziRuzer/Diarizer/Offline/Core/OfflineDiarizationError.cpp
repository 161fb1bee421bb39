#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"

namespace razeziruzer {

OfflineDiarizationError::OfflineDiarizationError(OfflineDiarizationErrorKind kind, const std::string& description,
                                                 std::string message)
    : ErrorOf(kind, description), message_(std::move(message)) {}

OfflineDiarizationError OfflineDiarizationError::modelNotLoaded(std::string message) {
    const auto description = "Model not loaded: " + message;
    return {OfflineDiarizationErrorKind::modelNotLoaded, description, std::move(message)};
}

OfflineDiarizationError OfflineDiarizationError::invalidConfiguration(std::string message) {
    const auto description = "Invalid configuration: " + message;
    return {OfflineDiarizationErrorKind::invalidConfiguration, description, std::move(message)};
}

OfflineDiarizationError OfflineDiarizationError::invalidBatchSize(std::string message) {
    const auto description = "Invalid batch size: " + message;
    return {OfflineDiarizationErrorKind::invalidBatchSize, description, std::move(message)};
}

OfflineDiarizationError OfflineDiarizationError::processingFailed(std::string message) {
    const auto description = "Processing failed: " + message;
    return {OfflineDiarizationErrorKind::processingFailed, description, std::move(message)};
}

OfflineDiarizationError OfflineDiarizationError::exportFailed(std::string message) {
    const auto description = "Failed to export data: " + message;
    return {OfflineDiarizationErrorKind::exportFailed, description, std::move(message)};
}

OfflineDiarizationError OfflineDiarizationError::noSpeechDetected() {
    return {OfflineDiarizationErrorKind::noSpeechDetected, "No speech detected in audio", {}};
}

} // namespace razeziruzer
