#pragma once
// Failures of the audio layer: opening, reading and writing files, buffers
// that do not fit, and conversions that cannot run.

#include "Platform/Core/Error.hpp"

namespace platform::audio {

enum class AudioErrorKind {
    fileNotFound,      // no file at the path
    cannotOpenFile,    // the file exists but the system refused to open it
    invalidFile,       // damaged, truncated or of a kind the decoder does not know
    readFailed,
    writeFailed,
    invalidFormat,     // a format no buffer, file or converter can be made for
    formatMismatch,    // a buffer whose format differs from the one expected
    invalidArgument,
    conversionFailed,
};

class AudioError : public ErrorOf<AudioErrorKind> {
public:
    using ErrorOf::ErrorOf;
};

} // namespace platform::audio
