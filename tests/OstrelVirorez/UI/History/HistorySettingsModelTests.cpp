#include "OstrelVirorez/UI/History/HistorySettingsModel.hpp"

#include "OstrelVirorez/UI/History/RelativeAge.hpp"
#include "tests/OstrelVirorez/UI/History/HistoryFixture.hpp"

namespace ostrelvirorez::testing {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> texts(const std::vector<DictationHistoryEntry>& entries) {
    std::vector<std::string> result;
    for (const auto& entry : entries) result.push_back(entry.text);
    return result;
}

class HistorySettingsModelTest : public HistoryFixture {
protected:
    HistorySettingsModelTest() {
        record("Termin am Montag bestätigt", "Mail");
        record("Hallo Welt", "Notes", "claude");
        record("Einkaufsliste: Milch", "", "clipboardRewrite");
    }
    std::unique_ptr<HistorySettingsModel> makeModel() {
        return std::make_unique<HistorySettingsModel>(settings, store.container(), [this] { return now; });
    }
};

TEST_F(HistorySettingsModelTest, SearchMatchesTextOrApplicationIgnoringCaseAndSurroundingBlanks) {
    struct Case {
        const char* name;
        std::string query;
        std::vector<std::string> shown;
        std::string title;
    };
    const std::vector<std::string> all{"Einkaufsliste: Milch", "Hallo Welt", "Termin am Montag bestätigt"};
    const Case cases[] = {
        {"empty", "", all, "Einträge (3)"},
        {"blanks only", " \t ", all, "Einträge (3)"},
        {"application name only", "mail", {"Termin am Montag bestätigt"}, "Einträge (1)"},
        {"text in other case", "HALLO", {"Hallo Welt"}, "Einträge (1)"},
        {"trimmed spaces and tabs", "\t milch  ", {"Einkaufsliste: Milch"}, "Einträge (1)"},
        {"line breaks are not trimmed", "\nmilch", {}, "Einträge (0)"},
        {"accented letter in other case", "BESTÄTIGT", {"Termin am Montag bestätigt"}, "Einträge (1)"},
        {"no match", "xyz", {}, "Einträge (0)"},
    };
    auto model = makeModel();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model->setSearchText(c.query);
        EXPECT_EQ(texts(model->filtered()), c.shown);
        EXPECT_EQ(model->entriesSectionTitle(), c.title);
        EXPECT_EQ(model->clearConfirmMessage(), "Löscht dauerhaft alle 3 Verlaufseinträge.");
    }
}

TEST_F(HistorySettingsModelTest, EmptyTextDependsOnTheUntrimmedSearch) {
    store.container().deleteAll();
    auto model = makeModel();
    EXPECT_EQ(model->emptyListText(), "Noch keine Diktate protokolliert.");
    model->setSearchText("   ");
    EXPECT_TRUE(model->filtered().empty());
    EXPECT_EQ(model->emptyListText(), "Keine Treffer.");
}

TEST_F(HistorySettingsModelTest, ADictationRecordedWhileShownAppearsAtTheTopAtOnce) {
    auto model = makeModel();
    int changes = 0;
    const auto observer = model->changed.connect([&] { ++changes; });
    record("Neu diktiert", "Slack");
    EXPECT_EQ(model->entries().front().text, "Neu diktiert");
    EXPECT_EQ(model->entries().size(), 4u);
    EXPECT_GE(changes, 1);
}

TEST_F(HistorySettingsModelTest, ClearingWhileSearchingDeletesEveryEntry) {
    auto model = makeModel();
    model->setSearchText("mail");
    model->requestClearAll();
    EXPECT_TRUE(model->showClearConfirm());
    model->cancelClearAll();
    EXPECT_EQ(storedTexts().size(), 3u);
    model->requestClearAll();
    model->clearAll();
    EXPECT_FALSE(model->showClearConfirm());
    EXPECT_TRUE(storedTexts().empty());
    EXPECT_TRUE(model->entries().empty());
    EXPECT_EQ(model->entriesSectionTitle(), "Einträge (0)");
    EXPECT_EQ(model->emptyListText(), "Keine Treffer.");
}

TEST_F(HistorySettingsModelTest, DeletingOneEntryRemovesItFromStoreAndList) {
    auto model = makeModel();
    model->deleteEntry(model->entries()[1]);
    EXPECT_EQ(texts(model->entries()), (std::vector<std::string>{"Einkaufsliste: Milch", "Termin am Montag bestätigt"}));
    EXPECT_EQ(storedTexts(), texts(model->entries()));
    EXPECT_FALSE(model->deletionError());
}

TEST_F(HistorySettingsModelTest, ARefusedDeletionIsReportedAndTheListKeepsWhatIsStored) {
    auto model = makeModel();
    refuseDeletions(true);
    model->deleteEntry(model->entries()[0]);
    ASSERT_TRUE(model->deletionError());
    EXPECT_EQ(model->deletionError()->rfind("Löschen fehlgeschlagen: ", 0), 0u) << *model->deletionError();
    EXPECT_NE(model->deletionError()->find("disk I/O error"), std::string::npos) << *model->deletionError();
    EXPECT_EQ(model->entries().size(), 3u);

    model->requestClearAll();
    model->clearAll();
    EXPECT_EQ(model->entries().size(), 3u);
    EXPECT_EQ(storedTexts().size(), 3u);
    EXPECT_TRUE(model->deletionError());

    refuseDeletions(false);
    model->deleteEntry(model->entries()[0]);
    EXPECT_FALSE(model->deletionError());
    EXPECT_EQ(model->entries().size(), 2u);
}

TEST_F(HistorySettingsModelTest, SwitchingTheHistoryOffAndOnKeepsEntriesAndSearch) {
    auto model = makeModel();
    model->setSearchText("hallo");
    model->setHistoryEnabled(false);
    EXPECT_EQ(defaults.boolValue("dictationHistoryEnabled"), false);
    model->setHistoryEnabled(true);
    EXPECT_TRUE(settings.dictationHistoryEnabled());
    EXPECT_EQ(model->searchText(), "hallo");
    EXPECT_EQ(model->entries().size(), 3u);
}

TEST_F(HistorySettingsModelTest, RowsNameTheApplicationAndModeAndTellTheAge) {
    struct Case {
        const char* mode;
        const char* symbol;
        HistorySettingsModel::ModeColor color;
    };
    using Color = HistorySettingsModel::ModeColor;
    const Case cases[] = {{"raw", "waveform", Color::secondary},
                          {"claude", "sparkles", Color::claude},
                          {"clipboardRewrite", "doc.on.clipboard", Color::timecodeBlue},
                          {"dictation", "questionmark", Color::secondary},
                          {"", "questionmark", Color::secondary}};
    for (const auto& c : cases) {
        const auto icon = HistorySettingsModel::modeIcon(c.mode);
        EXPECT_EQ(icon.symbol, c.symbol) << c.mode;
        EXPECT_EQ(icon.color, c.color) << c.mode;
    }
    auto model = makeModel();
    EXPECT_EQ(HistorySettingsModel::appNameText(model->entries()[0]), "Unbekannt");
    EXPECT_EQ(HistorySettingsModel::appNameText(model->entries()[1]), "Notes");
    // The newest entry was recorded a minute before now.
    EXPECT_EQ(model->ageText(model->entries()[0], "de"), "vor 1 Minute");
    EXPECT_EQ(model->ageText(model->entries()[2], "en"), "3 minutes ago");
}

TEST(RelativeAgeTest, UsesTheLargestWholeUnit) {
    struct Case {
        std::chrono::seconds elapsed;
        const char* german;
    };
    const Case cases[] = {{0s, "jetzt"},     {-5s, "jetzt"},          {59s, "vor 59 Sekunden"},
                          {60s, "vor 1 Minute"}, {119min, "vor 1 Stunde"}, {25h, "vor 1 Tag"},
                          {15 * 24h, "vor 2 Wochen"}, {400 * 24h, "vor 1 Jahr"}};
    const auto now = std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000));
    for (const auto& c : cases) EXPECT_EQ(relativeAgeText(now - c.elapsed, now, "de"), c.german) << c.elapsed.count();
}

} // namespace
} // namespace ostrelvirorez::testing
