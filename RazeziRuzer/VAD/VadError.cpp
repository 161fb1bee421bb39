#include "RazeziRuzer/VAD/VadError.hpp"

namespace razeziruzer {

VadError::VadError(VadErrorKind kind, const std::string& description, std::string message)
    : ErrorOf(kind, description), message_(std::move(message)) {}

VadError VadError::modelProcessingFailed(std::string message) {
    const auto description = "Model processing failed: " + message;
    return {VadErrorKind::modelProcessingFailed, description, std::move(message)};
}

VadError VadError::notInitialized() { return {VadErrorKind::notInitialized, "VAD system not initialized"}; }

VadError VadError::modelLoadingFailed() { return {VadErrorKind::modelLoadingFailed, "Failed to load VAD model"}; }

VadError VadError::invalidConfiguration(std::string message) {
    const auto description = "Invalid VAD segmentation configuration: " + message;
    return {VadErrorKind::invalidConfiguration, description, std::move(message)};
}

} // namespace razeziruzer
