#include "OstrelVirorez/UI/SettingsView.hpp"

#include "OstrelDesignKit/Panel/OstrelFloatingPanel.hpp"
#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelDesignKit/Window/OstrelSplitShell.hpp"
#include "OstrelDesignKit/Window/OstrelTrafficLights.hpp"
#include "OstrelVirorez/UI/Hotkeys/HotkeySettingsView.hpp"
#include "OstrelVirorez/UI/Settings/HoverTooltip.hpp"
#include "OstrelVirorez/UI/Settings/SettingsSidebarRow.hpp"
#include "OstrelVirorez/UI/Settings/SettingsStatusPanel.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRowStyles.hpp"
#include "OstrelVirorez/UI/SettingsRows/SettingsRows.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "tests/OstrelVirorez/UI/ShellFixture.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QLabel>

#include <memory>

namespace ostrelvirorez::testing {
namespace {

QStringList labelTexts(const QWidget& widget) {
    QStringList texts;
    for (const auto* label : widget.findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts << label->text();
    return texts;
}

// The widgets of the settings rows carry no meta-object of their own, so
// they are told apart by their C++ type.
template <typename T>
int countOf(const QWidget& widget) {
    int count = 0;
    for (auto* child : widget.findChildren<QWidget*>()) count += dynamic_cast<T*>(child) ? 1 : 0;
    return count;
}

template <typename T>
T* firstOf(const QWidget& widget) {
    for (auto* child : widget.findChildren<QWidget*>())
        if (auto* found = dynamic_cast<T*>(child)) return found;
    return nullptr;
}

class SettingsViewTest : public ShellFixture {
protected:
    SettingsViewTest() {
        view->show();
        QCoreApplication::processEvents();
    }

    SettingsEnvironment environment() {
        return SettingsEnvironment{*appState,
                                   settings,
                                   notifications,
                                   grants,
                                   queue,
                                   appState->dictionaryService(),
                                   appState->snippetService(),
                                   appState->dictationHistoryStore()};
    }
    void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    QImage keep(const QString& name) {
        QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        view->render(&image);
        QDir().mkpath(QStringLiteral("renders"));
        image.save(QStringLiteral("renders/%1.png").arg(name));
        return image;
    }
    SettingsSidebarRow& row(SettingsTab tab) const { return *view->sidebarRows().at(std::size_t(tab)); }
    void finishCollapse() {
        auto& animation = view->shell().collapseAnimation();
        animation.setCurrentTime(animation.duration());
    }

    FakePermissions grants;
    std::unique_ptr<SettingsView> view = std::make_unique<SettingsView>(environment());
};

TEST_F(SettingsViewTest, FirstOpeningShowsGeneralWithTheSidebarAndNoPanel) {
    EXPECT_EQ(view->size(), QSize(700, 760));
    QStringList titles;
    for (const auto* sidebarRow : view->sidebarRows()) titles << sidebarRow->titleLabel().text();
    EXPECT_EQ(titles, (QStringList{"General", "Keys", "Claude", "Vocabulary", "Dictionary", "Snippets", "History"}));
    EXPECT_TRUE(row(SettingsTab::general).isSelected());
    EXPECT_FALSE(row(SettingsTab::hotkeys).isSelected());
    EXPECT_FALSE(view->shell().isSidebarCollapsed());
    EXPECT_EQ(view->shell().sidebarWidth(), 220);
    EXPECT_EQ(view->statusPanel(), nullptr);
    EXPECT_GE(row(SettingsTab::general).mapTo(view.get(), QPoint(0, 0)).y(), 8 + 40) << "room for the buttons";

    const QImage image = keep(QStringLiteral("settings-general"));
    const QColor content = image.pixelColor(600, 700);
    EXPECT_GT(content.alphaF(), 0.9) << "the window's tint at 0.95 over the blur stand-in";
    EXPECT_LT(content.red(), 30);
    const QColor selected = image.pixelColor(row(SettingsTab::general).mapTo(view.get(), QPoint(60, 3)));
    EXPECT_GT(selected.blue(), content.blue() + 20) << "the selected row is highlighted";
}

TEST_F(SettingsViewTest, RowsSwitchTheTabViewAndTheSelectedRowDoesNothing) {
    QWidget* const general = view->tabView();
    row(SettingsTab::general).click();
    EXPECT_EQ(view->tabView(), general);

    row(SettingsTab::hotkeys).click();
    settle();
    EXPECT_NE(dynamic_cast<HotkeySettingsView*>(view->tabView()), nullptr);
    EXPECT_TRUE(row(SettingsTab::hotkeys).isSelected());
    EXPECT_FALSE(row(SettingsTab::general).isSelected());
    keep(QStringLiteral("settings-keys"));

    QWidget* const keys = view->tabView();
    row(SettingsTab::hotkeys).click();
    EXPECT_EQ(view->tabView(), keys) << "not made afresh";
    row(SettingsTab::history).click();
    row(SettingsTab::hotkeys).click();
    EXPECT_NE(view->tabView(), keys) << "made afresh on every selection";
}

TEST_F(SettingsViewTest, RowsHighlightWhenSelectedOrHovered) {
    EXPECT_EQ(SettingsSidebarRow::background(true, true), ostreldesignkit::Color::ostrelSelection());
    EXPECT_EQ(SettingsSidebarRow::background(false, true), ostreldesignkit::Color::ostrelHover());
    EXPECT_EQ(SettingsSidebarRow::background(false, false), std::nullopt);
    SettingsSidebarRow& history = row(SettingsTab::history);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&history, &enter);
    EXPECT_TRUE(history.isHovering());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&history, &leave);
    EXPECT_FALSE(history.isHovering());
}

TEST_F(SettingsViewTest, TheSidebarButtonCollapsesTheSidebarAndItsTooltipSaysSo) {
    HoverTooltip& tooltip = view->sidebarToggleTooltip();
    EXPECT_EQ(tooltip.text(), QStringLiteral("Sidebar ausblenden"));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(&view->sidebarToggleButton(), &enter);
    advance(std::chrono::milliseconds(349));
    EXPECT_FALSE(tooltip.isShown());
    advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(tooltip.isShown());
    ASSERT_NE(tooltip.pill(), nullptr);
    EXPECT_GT(tooltip.pill()->geometry().top(), view->sidebarToggleButton().geometry().top()) << "below the button";

    view->sidebarToggleButton().click();
    EXPECT_FALSE(tooltip.isShown()) << "a click hides it";
    EXPECT_EQ(tooltip.text(), QStringLiteral("Sidebar einblenden"));
    EXPECT_TRUE(view->shell().isSidebarCollapsed());
    EXPECT_EQ(view->shell().collapseAnimation().duration(), 200);
    finishCollapse();
    EXPECT_EQ(view->shell().content().geometry().width(), 700) << "the content spans the window";
    EXPECT_TRUE(view->trafficLights().isVisible()) << "the buttons float above the shell";
    keep(QStringLiteral("settings-sidebar-collapsed"));

    view->sidebarToggleButton().click();
    finishCollapse();
    EXPECT_FALSE(view->shell().isSidebarCollapsed());
    EXPECT_EQ(tooltip.text(), QStringLiteral("Sidebar ausblenden"));
}

TEST_F(SettingsViewTest, TheStatusPanelShowsPermissionsEngineAndLastError) {
    view->statusToggleButton().click();
    ASSERT_NE(view->statusPanel(), nullptr);
    EXPECT_EQ(view->statusPanel()->width(), 328) << "320 and 8 clear at the trailing edge";
    EXPECT_EQ(view->statusToggleButton().symbolColor(), ostreldesignkit::Color::ostrelAccent());
    auto* panel = firstOf<SettingsStatusPanel>(*view->statusPanel());
    ASSERT_NE(panel, nullptr);
    const QStringList texts = labelTexts(*view->statusPanel());
    for (const char* text : {"Status", "Mikrofon", "Bedienungshilfen", "Engine"}) EXPECT_TRUE(texts.contains(text)) << text;
    EXPECT_EQ(panel->engineLine()->text(), QString::fromUtf8("Parakeet TDT v3 \u2014 Ready"));
    EXPECT_EQ(panel->errorText(), nullptr);
    EXPECT_EQ(countOf<OstrelAppDivider>(*panel), 1);

    appState->lastErrorMessage.set(std::string("Microphone unavailable"));
    ASSERT_NE(panel->errorText(), nullptr);
    EXPECT_TRUE(panel->errorText()->isVisible());
    EXPECT_TRUE(panel->engineLine()->isVisible());
    EXPECT_EQ(panel->errorText()->text(), QStringLiteral("Microphone unavailable"));
    EXPECT_TRUE(labelTexts(*panel).contains(QStringLiteral("Letzter Fehler")));
    EXPECT_EQ(countOf<OstrelAppDivider>(*panel), 2);
    EXPECT_EQ(panel->errorText()->maximumHeight(),
              QFontMetrics(panel->errorText()->font()).lineSpacing() * SettingsStatusPanel::maximumErrorLines);
    keep(QStringLiteral("settings-status-panel"));

    auto* floating = firstOf<ostreldesignkit::OstrelFloatingPanel>(*view->statusPanel());
    ASSERT_NE(floating, nullptr);
    ASSERT_NE(floating->headerButton(QStringLiteral("Close")), nullptr);
    EXPECT_EQ(floating->headerButton(QStringLiteral("Expand")), nullptr);
    floating->headerButton(QStringLiteral("Close"))->click();
    EXPECT_EQ(view->statusPanel(), nullptr);
    EXPECT_FALSE(view->model().isStatusPanelOpen());
}

TEST_F(SettingsViewTest, PermissionDotsShowWhatTheDesktopAnswersWhenThePanelIsDrawn) {
    grants.microphone = CaptureAuthorizationStatus::denied;
    grants.accessibilityTrusted = true;
    view->statusToggleButton().click();
    ASSERT_NE(view->statusPanel(), nullptr);
    QColor microphone;
    QColor accessibility;
    for (const auto* label : view->statusPanel()->findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("Mikrofon")) microphone = label->palette().color(QPalette::WindowText);
        if (label->text() == QStringLiteral("Bedienungshilfen"))
            accessibility = label->palette().color(QPalette::WindowText);
    }
    EXPECT_EQ(microphone, statusDotColor(false));
    EXPECT_EQ(accessibility, statusDotColor(true));
    EXPECT_EQ(grants.microphoneRequests, 0);
}

TEST_F(SettingsViewTest, SheetNotificationsPresentOneSheetAtATime) {
    post(WindowNotification::showOnboardingSheet);
    ASSERT_EQ(view->presentedSheet(), SettingsSheet::onboarding);
    QDialog* const onboarding = view->sheetDialog();
    EXPECT_EQ(onboarding->windowModality(), Qt::WindowModal);
    post(WindowNotification::showOnboardingSheet);
    EXPECT_EQ(view->sheetDialog(), onboarding) << "a second request changes nothing";

    // The sheet's own button dismisses it; the next request shows it again.
    auto* close = onboarding->findChild<QAbstractButton*>();
    ASSERT_NE(close, nullptr);
    close->click();
    EXPECT_EQ(view->presentedSheet(), std::nullopt);
    EXPECT_EQ(view->model().shownSheet(), std::nullopt);
    post(WindowNotification::showOnboardingSheet);
    EXPECT_EQ(view->presentedSheet(), SettingsSheet::onboarding);

    post(WindowNotification::showFeedbackSheet);
    EXPECT_EQ(view->presentedSheet(), SettingsSheet::feedback);
}

TEST_F(SettingsViewTest, TheShellFollowsTheAppearanceSettings) {
    settings.setOstrelBaseColorHex("#FF0000");
    settings.setOstrelSidebarColorHex("");
    settings.setWindowGlassDarkness(1.0);
    EXPECT_EQ(view->shell().colors().baseColor.rgb(), QColor(255, 0, 0).rgb());
    EXPECT_EQ(view->shell().colors().sidebarCardColor.rgb(), QColor(255, 0, 0).rgb());
    const QImage image = keep(QStringLiteral("settings-red-base"));
    // The gap between the sidebar card and the tab shows the base.
    EXPECT_GT(image.pixelColor(240, 700).red(), 200);
}

} // namespace
} // namespace ostrelvirorez::testing
