#include "OstrelDesignKit/Status/StatusWidgets.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Tokens/OstrelFontWeight.hpp"
#include "OstrelVirorez/App/Ports/ActivationPolicySetting.hpp"
#include "OstrelVirorez/UI/General/AppearanceSection.hpp"
#include "OstrelVirorez/UI/General/AudioSection.hpp"
#include "OstrelVirorez/UI/General/AutostartEntry.hpp"
#include "OstrelVirorez/UI/General/DiagnosticsSection.hpp"
#include "OstrelVirorez/UI/General/EngineStatusView.hpp"
#include "OstrelVirorez/UI/General/GeneralControls.hpp"
#include "OstrelVirorez/UI/General/GeneralSettingsView.hpp"
#include "OstrelVirorez/UI/General/IndicatorSection.hpp"
#include "OstrelVirorez/UI/General/MicrophoneSection.hpp"
#include "OstrelVirorez/UI/General/SmartFormattingSection.hpp"
#include "OstrelVirorez/UI/General/SpeechEngineSection.hpp"
#include "OstrelVirorez/UI/General/SystemSection.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/SettingsRows/VirorezColors.hpp"
#include "tests/OstrelVirorez/State/AppStateFixture.hpp"
#include "tests/OstrelVirorez/UI/General/FakeHotkeyTap.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"
#include "tests/Support/Qt/ReferenceImage.hpp"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QScrollBar>
#include <QSlider>
#include <QStandardItemModel>
#include <QToolButton>

#include <filesystem>

namespace ostrelvirorez::testing {
namespace {

using namespace ostrelvirorez::general;

using ostreldesignkit::Color;

class RecordingPolicy final : public ActivationPolicySetting {
public:
    void setActivationPolicy(ActivationPolicy policy) override { policies.push_back(policy); }
    std::vector<ActivationPolicy> policies;
};

class GeneralSettingsViewTest : public AppStateFixture {
protected:
    void SetUp() override {
        testApplication();
        settings.setPreferredLanguage("");
        launch();
    }

    GeneralSettingsView& makeView() {
        view = std::make_unique<GeneralSettingsView>(
            settings, *appState,
            GeneralSettingsDesktop{ownPermissions, tap, {[this] { return devices->inputDevices(); }, {}},
                                   notifications, &policy, autostart, [this] { ++quits; }});
        view->resize(560, 760);
        view->show(); // offscreen: layouts follow resizes at once
        return *view;
    }
    bool shown(const QWidget& widget) const { return widget.isVisibleTo(view.get()); }

    // The whole column, the view made tall enough to need no scrolling,
    // drawn on the window's dark base and compared with its kept reference.
    QImage renderColumn(const std::string& name) {
        view->resize(560, view->widget()->sizeHint().height());
        QCoreApplication::sendPostedEvents();
        view->resize(560, view->height() + view->verticalScrollBar()->maximum());
        QCoreApplication::sendPostedEvents();
        QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(0x0D, 0x0D, 0x0D));
        view->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        EXPECT_TRUE(testsupport::matchesReference(image, {"OstrelVirorez/UI/General", name}));
        return image;
    }

    FakePermissions ownPermissions;
    FakeHotkeyTap tap;
    NotificationCenter notifications;
    RecordingPolicy policy;
    AutostartEntry autostart{folder / "autostart", "org.example.Dictation", "/usr/bin/dictation"};
    int quits = 0;
    std::unique_ptr<GeneralSettingsView> view;
};

TEST_F(GeneralSettingsViewTest, EightCardsInOrderSixteenPointsApart) {
    auto& v = makeView();
    const auto image = renderColumn("general-tab");
    std::vector<QString> titles;
    for (auto* label : v.widget()->findChildren<QLabel*>()) {
        if (auto* header = dynamic_cast<ostreldesignkit::OstrelSectionHeader*>(label)) titles.push_back(header->text());
    }
    EXPECT_EQ(titles, (std::vector<QString>{"Speech Engine", "Microphone", "Indicator", "Audio", "Smart Formatting",
                                            "Appearance", "System", "Diagnostics"}));
    const std::vector<QWidget*> cards{&v.speechEngine(), &v.microphone(), &v.indicator(),  &v.audio(),
                                      &v.smartFormatting(), &v.appearance(), &v.system(), &v.diagnostics()};
    EXPECT_EQ(cards.front()->geometry().topLeft(), QPoint(16, 16));
    for (std::size_t i = 1; i < cards.size(); ++i) {
        EXPECT_EQ(cards[i]->y() - cards[i - 1]->geometry().bottom() - 1, 16) << i;
        EXPECT_EQ(cards[i]->width(), v.viewport()->width() - 32);
    }
    // The padding stays the base colour; the glass card is lighter.
    EXPECT_EQ(image.pixelColor(8, 8), QColor(0x0D, 0x0D, 0x0D));
    const QRect firstCard = cards.front()->findChild<OstrelSection*>()->card()->geometry();
    const QColor inside = image.pixelColor(16 + firstCard.x() + 6, 16 + firstCard.bottom() - 6);
    EXPECT_GT(inside.lightness(), QColor(0x0D, 0x0D, 0x0D).lightness());
}

TEST_F(GeneralSettingsViewTest, SpeechEngineCardFollowsThePickers) {
    auto& card = makeView().speechEngine();
    EXPECT_EQ(card.enginePicker().currentText(), "Parakeet TDT v3");
    EXPECT_EQ(card.languagePicker().currentText(), "Automatisch erkennen");
    EXPECT_TRUE(shown(card.hint()));
    EXPECT_EQ(card.hint().palette().color(QPalette::WindowText), Color::ostrelTextTertiary());
    EXPECT_EQ(card.status().shownText(), "Ready");
    const long loadsBefore = logCount("Engine loaded: ");

    card.languagePicker().activated(SpeechEngineSection::languageRow(1));
    EXPECT_EQ(settings.preferredLanguage(), "de");
    EXPECT_FALSE(shown(card.hint()));

    card.enginePicker().activated(1);
    runUntilIdle();
    EXPECT_EQ(settings.selectedEngine(), EngineType::hushframe);
    EXPECT_EQ(appState->engineManager().currentType(), EngineType::hushframe);
    EXPECT_EQ(logCount("Engine loaded: "), loadsBefore + 1);
    card.enginePicker().activated(1);
    runUntilIdle();
    EXPECT_EQ(logCount("Engine loaded: "), loadsBefore + 1);

    // Nemotron stored by another writer (the onboarding sheet, an older version).
    settings.setSelectedEngine(EngineType::nemotron);
    runUntilIdle();
    EXPECT_EQ(card.enginePicker().currentIndex(), 3);
    EXPECT_TRUE(shown(card.hint()));
    EXPECT_EQ(card.hint().palette().color(QPalette::WindowText), VirorezColors::warning());

    engines->failToLoad.insert(EngineType::hushframe);
    card.enginePicker().activated(1);
    runUntilIdle();
    EXPECT_EQ(card.status().look(), SpeechEngineModel::StatusLine::Look::failed);
    EXPECT_EQ(card.status().shownText(), "Model loading failed: hushframe cannot load here");
}

TEST_F(GeneralSettingsViewTest, EnginesThatCannotRunHereAreListedDisabledWithTheirReason) {
    QComboBox& picker = makeView().speechEngine().enginePicker();
    const auto* items = qobject_cast<const QStandardItemModel*>(picker.model());
    ASSERT_NE(items, nullptr);
    ASSERT_EQ(picker.count(), 4);
    const auto& choices = SpeechEngineModel::engineChoices();
    for (int row = 0; row < picker.count(); ++row) {
        const auto& choice = choices[std::size_t(row)];
        SCOPED_TRACE(choice.label);
        const auto reason = SpeechEngineModel::unavailableReason(choice.value);
        EXPECT_EQ(items->item(row)->isEnabled(), !reason);
        EXPECT_EQ(picker.itemText(row).toStdString(),
                  reason ? SpeechEngineModel::unavailableLabel(choice.label) : choice.label);
        EXPECT_EQ(picker.itemData(row, Qt::ToolTipRole).toString().toStdString(), reason.value_or(""));
    }
    EXPECT_FALSE(items->item(2)->isEnabled()) << "the system speech engine never runs on Linux";

    const long loadsBefore = logCount("Engine loaded: ");
    Q_EMIT picker.activated(2);
    runUntilIdle();
    EXPECT_EQ(settings.selectedEngine(), EngineType::parakeet);
    EXPECT_EQ(logCount("Engine loaded: "), loadsBefore);
}

TEST_F(GeneralSettingsViewTest, LongEngineErrorIsCutAtTheEndOfItsSecondLine) {
    testApplication();
    const QFont font = ostreldesignkit::ostrelFont(11, ostreldesignkit::OstrelFontWeight::regular);
    const QString message = QString("Model loading failed: ").repeated(1) +
                            QString("the compiled model bundle could not be read from the cache folder ").repeated(4);
    const QString fitted = EngineStatusView::fitToLines(message, font, 240, 2);
    const QStringList lines = fitted.split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].endsWith(QChar(0x2026))) << fitted.toStdString();
    for (const auto& line : lines) EXPECT_LE(QFontMetrics(font).horizontalAdvance(line), 240);
    EXPECT_TRUE(message.startsWith(lines[0]));
    EXPECT_EQ(EngineStatusView::fitToLines("short", font, 240, 2), "short");
}

TEST_F(GeneralSettingsViewTest, MicrophonePickerListsSystemDefaultFirst) {
    auto& picker = makeView().microphone().devicePicker();
    ASSERT_EQ(picker.count(), 2);
    EXPECT_EQ(picker.itemText(0), "System Default");
    EXPECT_EQ(picker.currentIndex(), 0);
    picker.activated(1);
    EXPECT_EQ(settings.selectedMicrophoneUID(), "usb-mic");
    picker.activated(0);
    EXPECT_EQ(settings.selectedMicrophoneUID(), "");
}

TEST_F(GeneralSettingsViewTest, PreviewAndDuckingRowsFollowTheirSwitches) {
    auto& v = makeView();
    auto& indicator = v.indicator();
    EXPECT_EQ(indicator.stylePicker().selected(), 0);
    EXPECT_EQ(indicator.visibilityPicker().currentText(), "During Activity");
    EXPECT_EQ(indicator.positionPicker().currentText(), "Top (Island)");
    // Its longest entry, "Bottom (Above Taskbar)", is shown whole when chosen.
    EXPECT_LE(indicator.positionPicker().sizeHint().width(), indicator.positionPicker().maximumWidth());
    EXPECT_FALSE(shown(indicator.intervalRow()));
    EXPECT_TRUE(shown(indicator.caption()));
    indicator.toggleRow(1).toggle().click();
    EXPECT_TRUE(settings.liveTranscriptEnabled());
    EXPECT_TRUE(shown(indicator.intervalRow()));
    EXPECT_EQ(indicator.stepper().label().text(), "1800 ms");
    indicator.stepper().down().click();
    EXPECT_EQ(indicator.stepper().label().text(), "1700 ms");
    indicator.stylePicker().segment(2).click();
    EXPECT_EQ(settings.indicatorStyle(), IndicatorStyle::minimal);

    auto& audio = v.audio();
    EXPECT_FALSE(shown(audio.levelRow()));
    audio.toggleRow(2).toggle().click();
    EXPECT_TRUE(shown(audio.levelRow()));
    EXPECT_EQ(audio.level().text().text(), "20%");
    audio.level().slider().setValue(1);
    EXPECT_EQ(audio.level().text().text(), "5%");
    EXPECT_DOUBLE_EQ(settings.audioDuckingLevel(), 0.05);
    renderColumn("general-tab-rows-open");
}

TEST_F(GeneralSettingsViewTest, AppearanceAndFormattingCardsWriteTheirKeys) {
    auto& v = makeView();
    EXPECT_EQ(v.appearance().presetPicker().currentText(), "Claude Colors");
    EXPECT_EQ(v.appearance().transparency().text().text(), "95%");
    v.appearance().presetPicker().activated(0);
    EXPECT_EQ(settings.ostrelBaseColorHex(), "#000000");
    EXPECT_EQ(v.appearance().transparency().text().text(), "70%");
    EXPECT_EQ(v.appearance().transparency().slider().value(), 14);

    EXPECT_FALSE(v.smartFormatting().toggleRow(0).toggle().isChecked()); // the fixture turns it off
    EXPECT_FALSE(v.smartFormatting().toggleRow(3).toggle().isChecked());
    settings.setSmartCapitalization(true); // written elsewhere
    EXPECT_TRUE(v.smartFormatting().toggleRow(0).toggle().isChecked());
    v.smartFormatting().toggleRow(3).toggle().click();
    EXPECT_TRUE(settings.fillerWordRemovalEnabled());
}

TEST_F(GeneralSettingsViewTest, SystemCardSwitchesAndButtons) {
    auto& card = makeView().system();
    std::vector<std::string> posted;
    std::vector<platform::Connection> observers;
    for (const char* name : {"checkForUpdatesRequested", "showOnboardingSheet", "showFeedbackSheet"}) {
        observers.push_back(notifications.observe(name, [&posted, name] { posted.push_back(name); }));
    }
    for (std::size_t i = 0; i < 4; ++i) card.button(i).click();
    EXPECT_EQ(posted, (std::vector<std::string>{"checkForUpdatesRequested", "showOnboardingSheet",
                                                "showFeedbackSheet"}));
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(card.button(0).text(), QString::fromUtf8("Auf Updates prüfen \u2026"));

    card.toggleRow(1).toggle().click();
    EXPECT_EQ(policy.policies, std::vector<ActivationPolicy>{ActivationPolicy::regular});
    card.toggleRow(0).toggle().click();
    EXPECT_TRUE(autostart.isInstalled());
    EXPECT_FALSE(shown(card.launchAtLoginError()));
    card.toggleRow(0).toggle().click();
    EXPECT_FALSE(autostart.isInstalled());

    testsupport::TemporaryDirectory blocked;
    blocked.write("autostart", "a file where the folder belongs");
    const AutostartEntry spoiled{blocked / "autostart", "org.example.Dictation", "/usr/bin/dictation"};
    GeneralSettingsView other(settings, *appState,
                              GeneralSettingsDesktop{ownPermissions, tap, {}, notifications, nullptr, spoiled, {}});
    other.system().toggleRow(0).toggle().click();
    EXPECT_TRUE(other.system().launchAtLoginError().isVisibleTo(&other));
    EXPECT_FALSE(other.system().toggleRow(0).toggle().isChecked());
    EXPECT_FALSE(settings.launchAtLogin());
}

TEST_F(GeneralSettingsViewTest, DiagnosticsCardShowsPermissionTapKeysStateAndError) {
    ownPermissions.accessibilityTrusted = false;
    tap.set(false, "—");
    auto& card = makeView().diagnostics();
    EXPECT_TRUE(shown(card.accessibilityMissing()));
    EXPECT_FALSE(shown(card.accessibilityActive()));
    card.requestButton().click();
    EXPECT_EQ(ownPermissions.accessibilityPrompts, 1);
    EXPECT_TRUE(shown(card.tapError()));
    EXPECT_EQ(card.dictationKeys().text(), "Right Super");
    EXPECT_EQ(card.claudeKeys().text(), "Right Alt");
    EXPECT_EQ(card.state().text(), "Idle");
    EXPECT_FALSE(shown(card.errorRow()));

    ownPermissions.accessibilityTrusted = true;
    tap.set(true, "Right \u2325 UP");
    EXPECT_TRUE(shown(card.accessibilityActive()));
    EXPECT_TRUE(shown(card.tapActive()));
    EXPECT_EQ(card.lastKeyEvent().text(), "Right Alt UP");

    storeApiKey("");
    press(DictationMode::claude);
    EXPECT_TRUE(card.state().text().startsWith("Error: "));
    EXPECT_TRUE(shown(card.errorRow()));
    EXPECT_FALSE(card.lastError().text().isEmpty());
    renderColumn("general-tab-error");
}

// The window's own constructor: Linux permissions are granted, and a hotkey
// listener that is not the application's manager reads as a stopped tap.
TEST_F(GeneralSettingsViewTest, WindowConstructorUsesTheApplicationsDesktop) {
    GeneralSettingsView v(settings, *appState);
    EXPECT_TRUE(v.diagnostics().accessibilityActive().isVisibleTo(&v));
    EXPECT_TRUE(v.diagnostics().tapError().isVisibleTo(&v));
    EXPECT_EQ(v.microphone().devicePicker().count(), 2);
    EXPECT_EQ(v.speechEngine().status().shownText(), "Ready");
}

} // namespace
} // namespace ostrelvirorez::testing
