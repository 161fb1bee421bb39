#include "RazeziRuzer/Shared/AudioConverterError.hpp"

#include "Platform/Core/Error.hpp"

#include <string>

namespace razeziruzer {

AudioConverterError AudioConverterError::conversionFailed(std::exception_ptr underlying) {
    AudioConverterError error(AudioConverterErrorKind::conversionFailed,
                              "Audio conversion failed: " + platform::describeError(underlying));
    error.underlying_ = std::move(underlying);
    return error;
}

AudioConverterError AudioConverterError::sampleBufferCopyFailed(std::int32_t status) {
    AudioConverterError error(AudioConverterErrorKind::sampleBufferCopyFailed,
                              "Failed to copy samples from CMSampleBuffer (status: " + std::to_string(status) + ")");
    error.status_ = status;
    return error;
}

AudioConverterError AudioConverterError::failedToCreateConverter() {
    return {AudioConverterErrorKind::failedToCreateConverter, "Failed to create audio converter"};
}

AudioConverterError AudioConverterError::failedToCreateBuffer() {
    return {AudioConverterErrorKind::failedToCreateBuffer, "Failed to create conversion buffer"};
}

AudioConverterError AudioConverterError::sampleBufferFormatMissing() {
    return {AudioConverterErrorKind::sampleBufferFormatMissing,
            "Sample buffer is missing a valid audio format description."};
}

AudioConverterError AudioConverterError::failedToCreateSourceFormat() {
    return {AudioConverterErrorKind::failedToCreateSourceFormat,
            "Failed to create a source audio format description for CMSampleBuffer."};
}

} // namespace razeziruzer
