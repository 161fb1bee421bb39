#include "RazeziRuzer/Diarizer/Core/DiarizerError.hpp"

namespace razeziruzer {

DiarizerError::DiarizerError(DiarizerErrorKind kind, const std::string& description, std::string message)
    : ErrorOf(kind, description), message_(std::move(message)) {}

DiarizerError DiarizerError::processingFailed(std::string message) {
    const auto description = "Processing failed: " + message;
    return {DiarizerErrorKind::processingFailed, description, std::move(message)};
}

DiarizerError DiarizerError::notInitialized() {
    return {DiarizerErrorKind::notInitialized, "Diarization system not initialized. Call initialize() first."};
}

DiarizerError DiarizerError::modelDownloadFailed() {
    return {DiarizerErrorKind::modelDownloadFailed, "Failed to download required models."};
}

DiarizerError DiarizerError::modelCompilationFailed() {
    return {DiarizerErrorKind::modelCompilationFailed, "Failed to compile CoreML models."};
}

DiarizerError DiarizerError::embeddingExtractionFailed() {
    return {DiarizerErrorKind::embeddingExtractionFailed, "Failed to extract speaker embedding from audio."};
}

DiarizerError DiarizerError::invalidAudioData() {
    return {DiarizerErrorKind::invalidAudioData, "Invalid audio data provided."};
}

DiarizerError DiarizerError::memoryAllocationFailed() {
    return {DiarizerErrorKind::memoryAllocationFailed, "Failed to allocate ANE-aligned memory."};
}

DiarizerError DiarizerError::invalidArrayBounds() {
    return {DiarizerErrorKind::invalidArrayBounds, "Array bounds exceeded for zero-copy view."};
}

} // namespace razeziruzer
