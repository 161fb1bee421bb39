#include "OstrelVirorez/UI/Hotkeys/HotkeySettingsView.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/Hotkeys/HotkeyGroupSection.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/OstrelDesignKit/KitTestApplication.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>

namespace ostrelvirorez::testing {
namespace {

using Kind = HotkeyGroupKind;

// The widgets of the settings rows carry no meta-object of their own, so
// they are told apart by their C++ type.
int dividerCount(const QWidget& widget) {
    int count = 0;
    for (auto* child : widget.findChildren<QWidget*>()) count += dynamic_cast<OstrelAppDivider*>(child) ? 1 : 0;
    return count;
}

QStringList labelTexts(const QWidget& widget) {
    QStringList texts;
    for (const auto* label : widget.findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts << label->text();
    return texts;
}

class HotkeySettingsViewTest : public ::testing::Test {
protected:
    HotkeySettingsViewTest() {
        view.resize(480, 760);
        view.show();
    }

    HotkeyGroupSection& section(Kind kind) const { return view.section(kind); }
    // Lets the widgets of the previous drawing go.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void keep(const QString& name) {
        QDir().mkpath(QStringLiteral("renders"));
        view.grab().save(QStringLiteral("renders/%1.png").arg(name));
    }
    void choose(Kind kind, std::size_t row, const QString& name) {
        QComboBox* picker = section(kind).pickers().at(row);
        const int index = picker->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        picker->setCurrentIndex(index);
        picker->activated(index);
        settle();
    }
    std::string stored(const char* key) const { return defaults.stringValue(key).value_or("<unwritten>"); }

    QApplication& application = ostreldesignkit::testing::kitApplication();
    testsupport::TemporaryDirectory folder;
    platform::UserDefaults defaults{folder / "defaults.json"};
    AppSettings settings{defaults};
    HotkeySettingsView view{settings};
};

TEST_F(HotkeySettingsViewTest, ShowsTheDefaultKeyOfEachGroupWithoutWarningOrWriting) {
    keep(QStringLiteral("hotkeys-default"));
    const std::vector<std::pair<Kind, QString>> expected{{Kind::raw, QStringLiteral("Right Super")},
                                                         {Kind::claude, QStringLiteral("Right Alt")},
                                                         {Kind::clipboard, QStringLiteral("Right Control")}};
    for (const auto& [kind, name] : expected) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(section(kind).pickers().size(), 1u);
        EXPECT_EQ(section(kind).pickers()[0]->currentText(), name);
        EXPECT_EQ(section(kind).pickers()[0]->count(), 25);
        EXPECT_LE(section(kind).pickers()[0]->maximumWidth(), 200);
        EXPECT_EQ(section(kind).emptyRow(), nullptr);
        EXPECT_EQ(section(kind).addButton().text(), QStringLiteral("Weiteren Hotkey hinzufügen"));
    }
    EXPECT_TRUE(labelTexts(section(Kind::raw)).contains(QStringLiteral("Dictation Keys (Raw)")));
    EXPECT_TRUE(labelTexts(section(Kind::raw)).contains(QStringLiteral("Hotkey 1")));
    EXPECT_EQ(view.duplicateWarning(), nullptr);
    EXPECT_FALSE(defaults.hasWrittenValue("virorezKeyCodesRaw"));
}

TEST_F(HotkeySettingsViewTest, AddingShowsNumberedRowsWithDividersBetweenThem) {
    section(Kind::raw).addButton().click();
    settle();
    EXPECT_EQ(stored("virorezKeyCodesRaw"), "54,122");
    section(Kind::raw).addButton().click();
    settle();
    EXPECT_EQ(stored("virorezKeyCodesRaw"), "54,122,120");
    keep(QStringLiteral("hotkeys-three-raw-keys"));

    const HotkeyGroupSection& raw = section(Kind::raw);
    ASSERT_EQ(raw.pickers().size(), 3u);
    EXPECT_EQ(raw.pickers()[1]->currentText(), QStringLiteral("F1"));
    EXPECT_EQ(raw.pickers()[2]->currentText(), QStringLiteral("F2"));
    const QStringList texts = labelTexts(raw);
    for (const char* title : {"Hotkey 1", "Hotkey 2", "Hotkey 3"}) EXPECT_TRUE(texts.contains(QString(title))) << title;
    EXPECT_EQ(dividerCount(raw), 2) << "between rows, none after the last";
}

TEST_F(HotkeySettingsViewTest, RemovingTheOnlyClipboardKeyShowsTheDisabledRow) {
    section(Kind::clipboard).removeButtons().at(0)->click();
    settle();
    EXPECT_EQ(stored("clipboardKeyCodesRaw"), "none");
    const HotkeyGroupSection& clipboard = section(Kind::clipboard);
    ASSERT_NE(clipboard.emptyRow(), nullptr);
    EXPECT_TRUE(clipboard.pickers().empty());
    const QStringList texts = labelTexts(*clipboard.emptyRow());
    EXPECT_TRUE(texts.contains(QStringLiteral("Kein Hotkey zugewiesen")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Deaktiviert")));
    keep(QStringLiteral("hotkeys-clipboard-empty"));

    // A view made afresh (the tab selected again, or the next start) shows the same.
    HotkeySettingsView again(settings);
    EXPECT_NE(again.section(Kind::clipboard).emptyRow(), nullptr);
}

TEST_F(HotkeySettingsViewTest, TheWarningFollowsEachPickerChoice) {
    choose(Kind::claude, 0, QStringLiteral("Right Super"));
    EXPECT_EQ(stored("claudeKeyCodesRaw"), "54");
    ASSERT_NE(view.duplicateWarning(), nullptr);
    EXPECT_TRUE(labelTexts(*view.duplicateWarning())
                    .contains(QStringLiteral("Duplicate keys detected — please choose different keys.")));
    keep(QStringLiteral("hotkeys-duplicate"));

    choose(Kind::claude, 0, QStringLiteral("Right Alt"));
    EXPECT_EQ(view.duplicateWarning(), nullptr);

    choose(Kind::raw, 0, QStringLiteral("Caps Lock (remappt auf F19, Original-Funktion aus solange App läuft)"));
    EXPECT_EQ(stored("virorezKeyCodesRaw"), "80");
}

TEST_F(HotkeySettingsViewTest, AKeyOutsideTheChoicesKeepsItsRowWithNothingSelected) {
    settings.setVirorezKeyCodes({55, 54});
    settle();
    const HotkeyGroupSection& raw = section(Kind::raw);
    ASSERT_EQ(raw.pickers().size(), 2u);
    EXPECT_EQ(raw.pickers()[0]->currentIndex(), -1);
    EXPECT_EQ(raw.pickers()[1]->currentText(), QStringLiteral("Right Super"));
    EXPECT_EQ(view.duplicateWarning(), nullptr);
}

TEST_F(HotkeySettingsViewTest, TheHintsSectionHasSevenRowsWithDividersBetween) {
    const QStringList texts = labelTexts(view.hintsSection());
    EXPECT_TRUE(texts.contains(QStringLiteral("How It Works")));
    EXPECT_EQ(dividerCount(view.hintsSection()), 6);
    int hintTexts = 0;
    for (const auto& hint : HotkeySettingsModel::hints()) hintTexts += texts.contains(hint.text) ? 1 : 0;
    EXPECT_EQ(hintTexts, 7);
}

} // namespace
} // namespace ostrelvirorez::testing
