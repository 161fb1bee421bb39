#include "OstrelVirorez/Engines/EngineFactory.hpp"

#include "OstrelVirorez/Engines/AppleSpeechEngine.hpp"
#include "OstrelVirorez/Engines/ParakeetEngine.hpp"
#include "OstrelVirorez/Engines/UnavailableEngine.hpp"

namespace ostrelvirorez {
namespace {

std::shared_ptr<TranscriptionEngine> makeParakeet() {
    return std::make_shared<ParakeetEngine>();
}

std::shared_ptr<TranscriptionEngine> makeNemotron() {
    return std::make_shared<UnavailableEngine>(
        "Nemotron 3.5 (Streaming)",
        std::vector<std::string>{"en", "de", "fr", "es", "it", "pt", "nl", "pl", "cs", "sk",
                                 "hu", "ro", "bg", "hr", "sl", "sr", "uk", "ru", "sv", "no",
                                 "da", "fi", "el", "tr", "ca", "ja", "zh", "ko", "ar", "hi"});
}

std::shared_ptr<TranscriptionEngine> makeHushframe() {
    return std::make_shared<UnavailableEngine>(
        "Hushframe (Large v3 Turbo)",
        std::vector<std::string>{"de", "en", "fr", "es", "it", "pt", "ja", "zh", "ko", "ru"});
}

} // namespace

EngineFactory defaultEngineFactory() {
    return [](EngineType type) -> std::shared_ptr<TranscriptionEngine> {
        switch (type) {
        case EngineType::hushframe: return makeHushframe();
        case EngineType::appleSpeech: return std::make_shared<AppleSpeechEngine>();
        case EngineType::nemotron: return makeNemotron();
        case EngineType::parakeet: break;
        }
        return makeParakeet();
    };
}

} // namespace ostrelvirorez
