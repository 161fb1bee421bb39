#include "OstrelVirorez/Engines/EngineFactory.hpp"
#include "OstrelVirorez/Engines/ParakeetEngine.hpp"
#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/Engines/TranscriptionEngine.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Error.hpp"

#include <gtest/gtest.h>

namespace {

using namespace ostrelvirorez;

// On this platform only the system speech engine has an adapter, and it
// finds no analyzer; every engine therefore comes unloaded and refuses to
// load with a message the settings window can show.
TEST(EngineFactoryTest, DefaultAdaptersCarryTheirNamesAndLanguagesAndExplainWhyTheyCannotLoad) {
    struct Case {
        EngineType type;
        std::string name;
        std::size_t languageCount;
        std::string firstLanguage;
        std::string lastLanguage;
        std::string status;
    };
    const Case cases[] = {
        {EngineType::hushframe, "Hushframe (Large v3 Turbo)", 10, "de", "ru",
         "Engine unavailable: Hushframe (Large v3 Turbo) is not included in this build."},
        {EngineType::appleSpeech, "Apple SpeechAnalyzer", 11, "en", "ru",
         "Engine unavailable: Apple SpeechAnalyzer benötigt macOS 26 oder neuer. Bitte Parakeet oder Hushframe "
         "wählen."},
        {EngineType::nemotron, "Nemotron 3.5 (Streaming)", 30, "en", "hi",
         "Engine unavailable: Nemotron 3.5 (Streaming) is not included in this build."},
    };
    const auto make = defaultEngineFactory();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto engine = make(c.type);
        EXPECT_EQ(engine->name(), c.name);
        EXPECT_FALSE(engine->isLoaded());
        ASSERT_EQ(engine->supportedLanguages().size(), c.languageCount);
        EXPECT_EQ(engine->supportedLanguages().front(), c.firstLanguage);
        EXPECT_EQ(engine->supportedLanguages().back(), c.lastLanguage);

        platform::ManualMainQueue queue;
        EngineManager manager(queue);
        EXPECT_THROW(manager.loadEngine(c.type), platform::Error);
        EXPECT_EQ(manager.status(), EngineStatus::error(c.status));
        EXPECT_EQ(manager.currentEngine(), nullptr);
    }
}

TEST(EngineFactoryTest, ParakeetIsTheRealAdapter) {
    const auto engine = defaultEngineFactory()(EngineType::parakeet);
    EXPECT_NE(dynamic_cast<ParakeetEngine*>(engine.get()), nullptr);
    EXPECT_EQ(engine->name(), "Parakeet TDT v3");
    EXPECT_FALSE(engine->isLoaded());
    EXPECT_EQ(engine->supportedLanguages().size(), 25u);
}

} // namespace
