#include "OstrelVirorez/Model/VirorezError.hpp"

#include <string>

namespace ostrelvirorez {

std::string_view description(VirorezErrorKind kind) {
    switch (kind) {
    case VirorezErrorKind::noAudioData: return "No audio data recorded";
    case VirorezErrorKind::emptyTranscription: return "No speech detected";
    case VirorezErrorKind::clipboardEmpty: return "Clipboard empty \u2014 copy text first";
    }
    return {};
}

VirorezError::VirorezError(VirorezErrorKind kind) : ErrorOf(kind, std::string(ostrelvirorez::description(kind))) {}

} // namespace ostrelvirorez
