#include "OstrelVirorez/Engines/EngineManager.hpp"
#include "OstrelVirorez/UI/General/SpeechEngineModel.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Error.hpp"
#include "tests/OstrelVirorez/Engines/ScriptedEngine.hpp"
#include "tests/OstrelVirorez/UI/General/GeneralTestSettings.hpp"

#include <gtest/gtest.h>

namespace ostrelvirorez::testing {
namespace {

using Hint = SpeechEngineModel::HintKind;
using Look = SpeechEngineModel::StatusLine::Look;

class SpeechEngineModelTest : public ::testing::Test {
protected:
    SpeechEngineModel& makeModel() {
        model = std::make_unique<SpeechEngineModel>(store.settings, manager, [this] { ++loads; });
        return *model;
    }

    GeneralTestSettings store;
    platform::ManualMainQueue queue;
    enginetest::ScriptedEngineFactory engines;
    EngineManager manager{queue, engines.factory()};
    int loads = 0;
    std::unique_ptr<SpeechEngineModel> model;
};

TEST_F(SpeechEngineModelTest, LanguageHintNeedsALanguageForTheNemotronNote) {
    struct Case {
        const char* name;
        EngineType engine;
        std::string language;
        Hint hint;
    };
    const Case cases[] = {
        {"defaults", EngineType::parakeet, "", Hint::multilingualGuess},
        {"a language removes the hint", EngineType::parakeet, "de", Hint::none},
        {"nemotron with a language", EngineType::nemotron, "de", Hint::nemotronIgnoresLanguage},
        {"nemotron without a language", EngineType::nemotron, "", Hint::multilingualGuess},
        {"an unlisted code is still a language", EngineType::hushframe, "xx", Hint::none},
    };
    auto& m = makeModel();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store.settings.setSelectedEngine(c.engine);
        store.settings.setPreferredLanguage(c.language);
        EXPECT_EQ(m.languageHint().kind, c.hint);
    }
    store.settings.setSelectedEngine(EngineType::nemotron);
    store.settings.setPreferredLanguage("de");
    EXPECT_EQ(m.languageHint().text, "Hinweis: Nemotron 3.5 nimmt den Sprach-Hint aktuell nicht entgegen "
                                     "(RazeziRuzer 0.14.6). Bei Mix-Sprach-Problemen Parakeet wählen.");
    store.settings.setPreferredLanguage("");
    EXPECT_EQ(m.languageHint().text, "Multilinguale Engines erraten sonst gerne mehrere Sprachen gleichzeitig. "
                                     "Eine feste Sprache liefert deutlich konsistentere Transkriptionen.");
}

// A load starts for each change of the stored engine while the card exists,
// whoever writes it; not when the card is made, nor when the same engine is
// chosen or written again.
TEST_F(SpeechEngineModelTest, OnlyAChangedEngineStartsALoad) {
    store.settings.setSelectedEngine(EngineType::hushframe);
    auto& m = makeModel();
    EXPECT_EQ(loads, 0);
    store.written.clear();

    m.chooseEngine(EngineType::hushframe);
    EXPECT_EQ(loads, 0);
    EXPECT_TRUE(store.written.empty());

    m.chooseEngine(EngineType::parakeet);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(store.written, std::vector<std::string>{"selectedEngine=parakeet"});
    store.settings.setSelectedEngine(EngineType::parakeet);
    EXPECT_EQ(loads, 1);
    store.settings.setSelectedEngine(EngineType::hushframe); // the onboarding sheet, say
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(m.selectedEngineIndex(), 1u);
}

// The system speech engine never runs on Linux, nor Nemotron on x86-64: the
// picker offers them marked, and choosing one stores nothing and loads nothing.
TEST_F(SpeechEngineModelTest, AnEngineThatCannotRunHereIsMarkedAndCannotBeChosen) {
    EXPECT_FALSE(SpeechEngineModel::unavailableReason(EngineType::parakeet));
    EXPECT_FALSE(SpeechEngineModel::unavailableReason(EngineType::hushframe));
    EXPECT_EQ(SpeechEngineModel::unavailableReason(EngineType::appleSpeech),
              "Unter Linux nicht verfügbar: diese System-Spracherkennung gibt es hier nicht.");
#if defined(__x86_64__)
    EXPECT_EQ(SpeechEngineModel::unavailableReason(EngineType::nemotron),
              "Auf x86-64-Prozessoren nicht verfügbar: die Streaming-Modelle laden hier nicht.");
#endif
    EXPECT_EQ(SpeechEngineModel::unavailableLabel("Apple SpeechAnalyzer"), "Apple SpeechAnalyzer (nicht verfügbar)");

    auto& m = makeModel();
    store.written.clear();
    for (const EngineType engine : {EngineType::appleSpeech, EngineType::nemotron}) {
        if (!SpeechEngineModel::unavailableReason(engine)) continue;
        SCOPED_TRACE(std::string(rawValue(engine)));
        m.chooseEngine(engine);
        EXPECT_TRUE(store.written.empty());
        EXPECT_EQ(loads, 0);
        EXPECT_EQ(store.settings.selectedEngine(), EngineType::parakeet);
    }
}

TEST_F(SpeechEngineModelTest, PickerEntriesAndWhatTheyStore) {
    std::vector<std::string> engineLabels;
    for (const auto& c : SpeechEngineModel::engineChoices()) engineLabels.push_back(c.label);
    EXPECT_EQ(engineLabels, (std::vector<std::string>{"Parakeet TDT v3", "Hushframe (Large v3 Turbo)",
                                                      "Apple SpeechAnalyzer", "Nemotron 3.5 (Streaming)"}));
    std::string codes;
    for (const auto& c : SpeechEngineModel::languageChoices()) codes += "[" + c.value + "]";
    EXPECT_EQ(codes, "[][de][en][fr][es][it][pt][ro][pl][cs][sk][sl][hr][bs][ru][uk][be][bg][sr]");
    EXPECT_EQ(SpeechEngineModel::languageChoices().front().label, "Automatisch erkennen");

    auto& m = makeModel();
    EXPECT_EQ(m.selectedLanguageIndex(), 0u);
    m.chooseLanguage("uk");
    EXPECT_EQ(store.settings.preferredLanguage(), "uk");
    EXPECT_EQ(m.selectedLanguageIndex(), 15u);
    store.settings.setPreferredLanguage("tlh"); // kept, shown as no entry
    EXPECT_EQ(m.selectedLanguageIndex(), std::nullopt);
    EXPECT_EQ(store.settings.preferredLanguage(), "tlh");
    m.chooseLanguage("");
    EXPECT_EQ(store.settings.preferredLanguage(), "");
    EXPECT_EQ(loads, 0);
}

TEST_F(SpeechEngineModelTest, StatusLineForEachEngineStatus) {
    struct Case {
        EngineStatus status;
        Look look;
        std::string text;
    };
    const Case cases[] = {
        {EngineStatus::idle(), Look::notLoaded, "Not loaded"},
        {EngineStatus::downloading(), Look::busy, "Downloading..."},
        {EngineStatus::loading(), Look::busy, "Loading..."},
        {EngineStatus::ready(), Look::ready, "Ready"},
        {EngineStatus::error("Model loading failed: gone"), Look::failed, "Model loading failed: gone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.status));
        const auto line = SpeechEngineModel::statusLine(c.status);
        EXPECT_EQ(line.look, c.look);
        EXPECT_EQ(line.text, c.text);
    }
}

TEST_F(SpeechEngineModelTest, PublishedStatusChangesReachTheCard) {
    auto& m = makeModel();
    int changes = 0;
    const auto watch = m.changed().connect([&] { ++changes; });
    EXPECT_EQ(m.status().look, Look::notLoaded);
    engines.scripts[EngineType::nemotron].loadFailure = std::make_exception_ptr(platform::Error("no neural engine"));
    EXPECT_THROW(manager.loadEngine(EngineType::nemotron), platform::Error);
    queue.runUntilIdle();
    EXPECT_GE(changes, 2); // downloading, loading, error
    EXPECT_EQ(m.status().look, Look::failed);
    EXPECT_EQ(m.status().text, "no neural engine");
}

} // namespace
} // namespace ostrelvirorez::testing
