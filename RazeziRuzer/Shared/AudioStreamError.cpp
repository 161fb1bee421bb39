#include "RazeziRuzer/Shared/AudioStreamError.hpp"

#include <string>

namespace razeziruzer {

namespace {

std::string caseName(AudioStreamErrorKind kind) {
    switch (kind) {
    case AudioStreamErrorKind::bufferTooSmall: return "bufferTooSmall";
    case AudioStreamErrorKind::invalidChunkSkip: return "invalidChunkSkip";
    case AudioStreamErrorKind::invalidChunkDuration: return "invalidChunkDuration";
    }
    return "unknown";
}

} // namespace

AudioStreamError::AudioStreamError(AudioStreamErrorKind kind) : ErrorOf(kind, "AudioStreamError." + caseName(kind)) {}

} // namespace razeziruzer
