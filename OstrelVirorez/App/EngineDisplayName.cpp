#include "OstrelVirorez/App/EngineDisplayName.hpp"

namespace ostrelvirorez {

std::string engineDisplayName(EngineType type) {
    switch (type) {
    case EngineType::parakeet: return "Parakeet TDT v3";
    case EngineType::hushframe: return "Hushframe (Large v3 Turbo)";
    case EngineType::appleSpeech: return "Apple SpeechAnalyzer";
    case EngineType::nemotron: return "Nemotron 3.5 (Streaming)";
    }
    return {};
}

} // namespace ostrelvirorez
