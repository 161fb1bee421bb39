#include "OstrelVirorez/Engines/EngineError.hpp"

namespace ostrelvirorez {
namespace {

std::string describe(EngineErrorKind kind, const std::string& message) {
    switch (kind) {
    case EngineErrorKind::modelLoadFailed: return "Model loading failed: " + message;
    case EngineErrorKind::transcriptionFailed: return "Transcription failed: " + message;
    case EngineErrorKind::unavailable: return "Engine unavailable: " + message;
    case EngineErrorKind::notLoaded: return "Engine not loaded";
    }
    return message;
}

} // namespace

EngineError::EngineError(EngineErrorKind kind, std::string message)
    : ErrorOf(kind, describe(kind, message)), message_(std::move(message)) {}

} // namespace ostrelvirorez
