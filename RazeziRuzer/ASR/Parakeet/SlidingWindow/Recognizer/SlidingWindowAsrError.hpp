#pragma once
// Failures of the sliding-window recogniser and its session. Cases that wrap
// another error keep it whole and show its description.

#include "Platform/Core/Error.hpp"
#include "RazeziRuzer/Shared/AudioSource.hpp"

#include <exception>
#include <optional>
#include <string>

namespace razeziruzer {

enum class SlidingWindowAsrErrorKind {
    streamAlreadyExists,
    audioBufferProcessingFailed,
    audioConversionFailed,
    modelProcessingFailed,
    invalidConfiguration,
    modelsNotLoaded,
    bufferOverflow,
};

class SlidingWindowAsrError : public platform::ErrorOf<SlidingWindowAsrErrorKind> {
public:
    static SlidingWindowAsrError streamAlreadyExists(AudioSource source);
    static SlidingWindowAsrError audioBufferProcessingFailed(std::exception_ptr underlying);
    static SlidingWindowAsrError audioConversionFailed(std::exception_ptr underlying);
    static SlidingWindowAsrError modelProcessingFailed(std::exception_ptr underlying);
    static SlidingWindowAsrError invalidConfiguration(const std::string& message);
    static SlidingWindowAsrError modelsNotLoaded();
    static SlidingWindowAsrError bufferOverflow();

    std::optional<std::string> errorDescription() const { return description(); }
    const std::exception_ptr& underlyingError() const { return underlying_; }
    std::optional<AudioSource> source() const { return source_; }
    const std::string& message() const { return message_; }

private:
    SlidingWindowAsrError(SlidingWindowAsrErrorKind kind, const std::string& description)
        : ErrorOf(kind, description) {}

    std::exception_ptr underlying_;
    std::optional<AudioSource> source_;
    std::string message_;
};

} // namespace razeziruzer
