#include "OstrelVirorez/App/StatusItemSymbol.hpp"

namespace ostrelvirorez {

std::string statusItemSymbol(const DictationState& state) {
    using Kind = DictationState::Kind;
    switch (state.kind()) {
    case Kind::idle: return "mic";
    case Kind::recording: return state.mode() == DictationMode::raw ? "mic.fill" : "sparkles";
    case Kind::transcribing: return "waveform";
    case Kind::rewriting:
    case Kind::rewritingClipboard: return "sparkles";
    case Kind::injecting: return "text.cursor";
    case Kind::done: return "checkmark.circle";
    case Kind::error: return "exclamationmark.triangle";
    }
    return "mic";
}

} // namespace ostrelvirorez
