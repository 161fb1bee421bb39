#include "OstrelVirorez/Engines/EngineFactory.hpp"

#include "OstrelVirorez/Engines/AppleSpeechEngine.hpp"
#include "OstrelVirorez/Engines/HushframeEngine.hpp"
#include "OstrelVirorez/Engines/NemotronEngine.hpp"
#include "OstrelVirorez/Engines/ParakeetEngine.hpp"

namespace ostrelvirorez {

EngineFactory defaultEngineFactory() {
    return [](EngineType type) -> std::shared_ptr<TranscriptionEngine> {
        switch (type) {
        case EngineType::hushframe: return std::make_shared<HushframeEngine>();
        case EngineType::appleSpeech: return std::make_shared<AppleSpeechEngine>();
        case EngineType::nemotron: return std::make_shared<NemotronEngine>();
        case EngineType::parakeet: break;
        }
        return std::make_shared<ParakeetEngine>();
    };
}

} // namespace ostrelvirorez
