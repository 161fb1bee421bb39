#include "OstrelVirorez/Engines/AppleSpeechEngine.hpp"
#include "OstrelVirorez/Engines/EngineFactory.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Engines/HushframeEngine.hpp"
#include "OstrelVirorez/Engines/NemotronEngine.hpp"
#include "OstrelVirorez/Engines/ParakeetEngine.hpp"
#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Error.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace ostrelvirorez;

template <typename Adapter>
bool isA(const TranscriptionEngine& engine) {
    return dynamic_cast<const Adapter*>(&engine) != nullptr;
}

// Every engine type gets its own adapter, fresh and unloaded.
TEST(EngineFactoryTest, EachTypeGetsItsAdapter) {
    struct Case {
        EngineType type;
        std::string name;
        std::function<bool(const TranscriptionEngine&)> isExpectedAdapter;
        std::size_t languageCount;
        std::string firstLanguage;
        std::string lastLanguage;
    };
    const Case cases[] = {
        {EngineType::parakeet, "Parakeet TDT v3", isA<ParakeetEngine>, 25, "de", "ca"},
        {EngineType::hushframe, "Hushframe (Large v3 Turbo)", isA<HushframeEngine>, 10, "de", "ru"},
        {EngineType::appleSpeech, "Apple SpeechAnalyzer", isA<AppleSpeechEngine>, 11, "en", "ru"},
        {EngineType::nemotron, "Nemotron 3.5 (Streaming)", isA<NemotronEngine>, 30, "en", "hi"},
    };
    const auto make = defaultEngineFactory();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto engine = make(c.type);
        EXPECT_TRUE(c.isExpectedAdapter(*engine));
        EXPECT_EQ(engine->name(), c.name);
        EXPECT_FALSE(engine->isLoaded());
        ASSERT_EQ(engine->supportedLanguages().size(), c.languageCount);
        EXPECT_EQ(engine->supportedLanguages().front(), c.firstLanguage);
        EXPECT_EQ(engine->supportedLanguages().back(), c.lastLanguage);
    }
}

// The system speech engine finds no analyzer on this platform and says why.
TEST(EngineFactoryTest, SystemSpeechEngineExplainsWhyItCannotLoad) {
    platform::ManualMainQueue queue;
    EngineManager manager(queue);
    EXPECT_THROW(manager.loadEngine(EngineType::appleSpeech), platform::Error);
    EXPECT_EQ(manager.status(),
              EngineStatus::error("Engine unavailable: Apple SpeechAnalyzer benötigt macOS 26 oder neuer. Bitte "
                                  "Parakeet oder Hushframe wählen."));
    EXPECT_EQ(manager.currentEngine(), nullptr);
}

} // namespace
