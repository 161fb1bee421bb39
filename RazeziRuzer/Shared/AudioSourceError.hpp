#pragma once
// Failure to build a disk-backed sample source.

#include "Platform/Core/Error.hpp"

#include <string>

namespace razeziruzer {

enum class AudioSourceErrorKind { processingFailed };

class AudioSourceError : public platform::ErrorOf<AudioSourceErrorKind> {
public:
    static AudioSourceError processingFailed(std::string message);

    const std::string& message() const { return message_; }
    std::string errorDescription() const { return description(); }

private:
    explicit AudioSourceError(std::string message);

    std::string message_;
};

} // namespace razeziruzer
