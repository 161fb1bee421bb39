#pragma once
// Errors of the diarizers and of the aligned model-array utilities they share.

#include "Platform/Core/Error.hpp"

#include <cstdint>
#include <string>

namespace razeziruzer {

enum class DiarizerErrorKind : std::uint8_t {
    processingFailed,
    notInitialized,
    modelDownloadFailed,
    modelCompilationFailed,
    embeddingExtractionFailed,
    invalidAudioData,
    memoryAllocationFailed,
    invalidArrayBounds,
};

class DiarizerError : public platform::ErrorOf<DiarizerErrorKind> {
public:
    static DiarizerError processingFailed(std::string message);
    static DiarizerError notInitialized();
    static DiarizerError modelDownloadFailed();
    static DiarizerError modelCompilationFailed();
    static DiarizerError embeddingExtractionFailed();
    static DiarizerError invalidAudioData();
    static DiarizerError memoryAllocationFailed();
    static DiarizerError invalidArrayBounds();

    // The payload of processingFailed; empty for the other cases.
    const std::string& message() const noexcept { return message_; }

private:
    DiarizerError(DiarizerErrorKind kind, const std::string& description, std::string message = {});

    std::string message_;
};

} // namespace razeziruzer
