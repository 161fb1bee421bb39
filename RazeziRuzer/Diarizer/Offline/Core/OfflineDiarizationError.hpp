#pragma once
// Failures of the whole-recording diarizer, each with a fixed description.

#include "Platform/Core/Error.hpp"

#include <cstdint>
#include <string>

namespace razeziruzer {

enum class OfflineDiarizationErrorKind : std::uint8_t {
    modelNotLoaded,
    invalidConfiguration,
    invalidBatchSize,
    processingFailed,
    exportFailed,
    noSpeechDetected,
};

class OfflineDiarizationError : public platform::ErrorOf<OfflineDiarizationErrorKind> {
public:
    static OfflineDiarizationError modelNotLoaded(std::string message);
    static OfflineDiarizationError invalidConfiguration(std::string message);
    static OfflineDiarizationError invalidBatchSize(std::string message);
    static OfflineDiarizationError processingFailed(std::string message);
    static OfflineDiarizationError exportFailed(std::string message);
    static OfflineDiarizationError noSpeechDetected();

    // The case's payload; empty for noSpeechDetected.
    const std::string& message() const noexcept { return message_; }

private:
    OfflineDiarizationError(OfflineDiarizationErrorKind kind, const std::string& description, std::string message);

    std::string message_;
};

} // namespace razeziruzer
