#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/Recognizer/SlidingWindowAsrError.hpp"

namespace razeziruzer {

using Kind = SlidingWindowAsrErrorKind;

SlidingWindowAsrError SlidingWindowAsrError::streamAlreadyExists(AudioSource source) {
    SlidingWindowAsrError error(Kind::streamAlreadyExists,
                                "A stream already exists for source: " + std::string(razeziruzer::description(source)));
    error.source_ = source;
    return error;
}

SlidingWindowAsrError SlidingWindowAsrError::audioBufferProcessingFailed(std::exception_ptr underlying) {
    SlidingWindowAsrError error(Kind::audioBufferProcessingFailed,
                                "Audio buffer processing failed: " + platform::describeError(underlying));
    error.underlying_ = std::move(underlying);
    return error;
}

SlidingWindowAsrError SlidingWindowAsrError::audioConversionFailed(std::exception_ptr underlying) {
    SlidingWindowAsrError error(Kind::audioConversionFailed,
                                "Audio conversion failed: " + platform::describeError(underlying));
    error.underlying_ = std::move(underlying);
    return error;
}

SlidingWindowAsrError SlidingWindowAsrError::modelProcessingFailed(std::exception_ptr underlying) {
    SlidingWindowAsrError error(Kind::modelProcessingFailed,
                                "Model processing failed: " + platform::describeError(underlying));
    error.underlying_ = std::move(underlying);
    return error;
}

SlidingWindowAsrError SlidingWindowAsrError::invalidConfiguration(const std::string& message) {
    SlidingWindowAsrError error(Kind::invalidConfiguration, "Invalid configuration: " + message);
    error.message_ = message;
    return error;
}

SlidingWindowAsrError SlidingWindowAsrError::modelsNotLoaded() {
    return {Kind::modelsNotLoaded, "ASR models have not been loaded"};
}

SlidingWindowAsrError SlidingWindowAsrError::bufferOverflow() {
    return {Kind::bufferOverflow, "Audio buffer overflow occurred"};
}

} // namespace razeziruzer
