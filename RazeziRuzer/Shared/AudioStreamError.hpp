#pragma once
// Why an AudioStream could not be made.

#include "Platform/Core/Error.hpp"

namespace razeziruzer {

enum class AudioStreamErrorKind { bufferTooSmall, invalidChunkSkip, invalidChunkDuration };

class AudioStreamError : public platform::ErrorOf<AudioStreamErrorKind> {
public:
    // The description is the generic "AudioStreamError." + the case name.
    explicit AudioStreamError(AudioStreamErrorKind kind);

    friend bool operator==(const AudioStreamError& a, const AudioStreamError& b) { return a.kind() == b.kind(); }
};

} // namespace razeziruzer
