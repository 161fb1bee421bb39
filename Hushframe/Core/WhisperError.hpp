#pragma once
// The Whisper pipeline's one error type: a case and the message chosen where
// the failure arose. The description is the message alone, and reading it
// also writes the message to the package log at error level.

#include "Platform/Core/Error.hpp"

#include <string>

namespace hushframe {

enum class WhisperErrorKind {
    tokenizerUnavailable,
    modelsUnavailable,
    audioProcessingFailed,
    decodingLogitsFailed,
    segmentingFailed,
    loadAudioFailed,
    prepareDecoderInputsFailed,
    transcriptionFailed,
    decodingFailed,
    microphoneUnavailable,
    initializationError,
};

class WhisperError : public platform::ErrorOf<WhisperErrorKind> {
public:
    WhisperError(WhisperErrorKind kind, const std::string& message) : ErrorOf(kind, message), message_(message) {}

    static WhisperError tokenizerUnavailable(const std::string& message) {
        return {WhisperErrorKind::tokenizerUnavailable, message};
    }
    static WhisperError modelsUnavailable(const std::string& message) {
        return {WhisperErrorKind::modelsUnavailable, message};
    }
    static WhisperError audioProcessingFailed(const std::string& message) {
        return {WhisperErrorKind::audioProcessingFailed, message};
    }
    static WhisperError decodingLogitsFailed(const std::string& message) {
        return {WhisperErrorKind::decodingLogitsFailed, message};
    }
    static WhisperError segmentingFailed(const std::string& message) {
        return {WhisperErrorKind::segmentingFailed, message};
    }
    static WhisperError loadAudioFailed(const std::string& message) {
        return {WhisperErrorKind::loadAudioFailed, message};
    }
    static WhisperError prepareDecoderInputsFailed(const std::string& message) {
        return {WhisperErrorKind::prepareDecoderInputsFailed, message};
    }
    static WhisperError transcriptionFailed(const std::string& message) {
        return {WhisperErrorKind::transcriptionFailed, message};
    }
    static WhisperError decodingFailed(const std::string& message) {
        return {WhisperErrorKind::decodingFailed, message};
    }
    static WhisperError microphoneUnavailable(const std::string& message) {
        return {WhisperErrorKind::microphoneUnavailable, message};
    }
    static WhisperError initializationError(const std::string& message) {
        return {WhisperErrorKind::initializationError, message};
    }

    const std::string& message() const { return message_; }

    // The message unchanged; every read logs it once at error level.
    std::string errorDescription() const;

    bool operator==(const WhisperError& other) const {
        return kind() == other.kind() && message_ == other.message_;
    }

private:
    std::string message_;
};

} // namespace hushframe
