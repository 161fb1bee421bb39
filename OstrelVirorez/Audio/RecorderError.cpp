#include "OstrelVirorez/Audio/RecorderError.hpp"

namespace ostrelvirorez {
namespace {

const char* describe(RecorderErrorKind kind) {
    switch (kind) {
    case RecorderErrorKind::converterCreationFailed: return "Failed to create audio converter";
    case RecorderErrorKind::invalidTargetFormat: return "Failed to create the 16 kHz target audio format";
    }
    return "";
}

} // namespace

RecorderError::RecorderError(RecorderErrorKind kind) : ErrorOf(kind, describe(kind)) {}

} // namespace ostrelvirorez
