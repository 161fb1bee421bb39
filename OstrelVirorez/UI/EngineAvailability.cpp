#include "OstrelVirorez/UI/EngineAvailability.hpp"

namespace ostrelvirorez {

std::optional<std::string> engineUnavailableReason(EngineType engine) {
    switch (engine) {
    case EngineType::appleSpeech: return "Unter Linux nicht verfügbar: diese System-Spracherkennung gibt es hier nicht.";
    case EngineType::nemotron:
#if defined(__x86_64__) || defined(__i386__)
        return "Auf x86-64-Prozessoren nicht verfügbar: die Streaming-Modelle laden hier nicht.";
#else
        return std::nullopt;
#endif
    case EngineType::parakeet:
    case EngineType::hushframe: return std::nullopt;
    }
    return std::nullopt;
}

} // namespace ostrelvirorez
