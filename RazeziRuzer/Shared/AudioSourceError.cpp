#include "RazeziRuzer/Shared/AudioSourceError.hpp"

namespace razeziruzer {

AudioSourceError::AudioSourceError(std::string message)
    : ErrorOf(AudioSourceErrorKind::processingFailed, "Processing failed: " + message), message_(std::move(message)) {}

AudioSourceError AudioSourceError::processingFailed(std::string message) {
    return AudioSourceError(std::move(message));
}

} // namespace razeziruzer
