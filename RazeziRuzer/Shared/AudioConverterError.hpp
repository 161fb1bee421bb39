#pragma once
// Failures of AudioConverter's own making. Errors of the platform audio layer
// (opening or reading files) pass through unchanged; a failed platform
// conversion is carried inside conversionFailed.

#include "Platform/Core/Error.hpp"

#include <cstdint>
#include <exception>
#include <optional>

namespace razeziruzer {

enum class AudioConverterErrorKind {
    conversionFailed,
    sampleBufferCopyFailed,
    failedToCreateConverter,
    failedToCreateBuffer,
    sampleBufferFormatMissing,
    failedToCreateSourceFormat,
};

class AudioConverterError : public platform::ErrorOf<AudioConverterErrorKind> {
public:
    // `underlying` may be empty: the description then ends in "Unknown error".
    static AudioConverterError conversionFailed(std::exception_ptr underlying = nullptr);
    static AudioConverterError sampleBufferCopyFailed(std::int32_t status);
    static AudioConverterError failedToCreateConverter();
    static AudioConverterError failedToCreateBuffer();
    static AudioConverterError sampleBufferFormatMissing();
    static AudioConverterError failedToCreateSourceFormat();

    std::string errorDescription() const { return description(); }
    // The platform error behind conversionFailed, if any.
    const std::exception_ptr& underlyingError() const { return underlying_; }
    // The status code of sampleBufferCopyFailed.
    std::optional<std::int32_t> status() const { return status_; }

private:
    AudioConverterError(AudioConverterErrorKind kind, const std::string& description)
        : ErrorOf(kind, description) {}

    std::exception_ptr underlying_;
    std::optional<std::int32_t> status_;
};

} // namespace razeziruzer
