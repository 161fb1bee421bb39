// The settings window and its sheets as a new user first sees them: at the
// window's own size every tab, with the sidebar shown and collapsed and with
// the status panel open, lays out without a cut text, a clipped frame or two
// controls on top of each other; and every tab looks like its kept reference
// at device pixel ratios 1 and 2.

#include "OstrelDesignKit/Window/OstrelSplitShell.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/Settings/SettingsTab.hpp"
#include "OstrelVirorez/UI/SettingsView.hpp"
#include "OstrelVirorez/UI/SettingsWindow.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "tests/OstrelVirorez/UI/Layout/LayoutInspector.hpp"
#include "tests/OstrelVirorez/UI/ShellFixture.hpp"
#include "tests/Support/Qt/ReferenceImage.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QImage>

#include <memory>
#include <string>

namespace ostrelvirorez::testing {
namespace {

std::string tabName(SettingsTab tab) { return std::string(rawValue(tab)); }

class WindowLayoutTest : public ShellFixture {
protected:
    WindowLayoutTest() {
        appState->lastErrorMessage.set(std::string(
            "Die Aufnahme konnte nicht gestartet werden, weil kein Eingabegerät geantwortet hat."));
        window->show();
        settle();
    }
    ~WindowLayoutTest() override {
        if (QDialog* sheet = view().sheetDialog()) sheet->close();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    SettingsView& view() const { return window->settingsView(); }

    void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto& animation = view().shell().collapseAnimation();
        if (animation.state() == QAbstractAnimation::Running) animation.setCurrentTime(animation.duration());
        QCoreApplication::processEvents();
    }

    void show(SettingsTab tab, bool sidebarCollapsed, bool statusPanelOpen) {
        view().model().select(tab);
        if (view().model().isSidebarCollapsed() != sidebarCollapsed) view().model().toggleSidebar();
        if (view().model().isStatusPanelOpen() != statusPanelOpen) view().model().toggleStatusPanel();
        settle();
    }

    QImage render(double devicePixelRatio) const {
        QImage image(window->size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(devicePixelRatio);
        image.fill(Qt::transparent);
        window->render(&image);
        return image;
    }

    FakePermissions grants;
    std::unique_ptr<SettingsWindow> window = std::make_unique<SettingsWindow>(
        SettingsEnvironment{*appState, settings, notifications, grants, queue, appState->dictionaryService(),
                            appState->snippetService(), appState->dictationHistoryStore()},
        [] {});
};

TEST_F(WindowLayoutTest, OpensAtItsDesignedSize) {
    EXPECT_EQ(window->size(), QSize(700, 760));
    EXPECT_EQ(window->frameGeometry().size(), QSize(700, 760)) << "nothing stacked above the view";
}

TEST_F(WindowLayoutTest, EveryTabFitsWithTheSidebarShownOrCollapsed) {
    for (const SettingsTab tab : allSettingsTabs) {
        for (const bool collapsed : {false, true}) {
            show(tab, collapsed, false);
            SCOPED_TRACE(tabName(tab) + (collapsed ? ", sidebar collapsed" : ", sidebar shown"));
            EXPECT_EQ(layoutFaults(*window).join(QLatin1Char('\n')).toStdString(), "");
        }
    }
}

TEST_F(WindowLayoutTest, TheStatusPanelLeavesEveryTabItsWidth) {
    for (const SettingsTab tab : allSettingsTabs) {
        show(tab, false, false);
        const int closedWidth = view().tabView()->width();
        show(tab, false, true);
        SCOPED_TRACE(tabName(tab));
        ASSERT_NE(view().statusPanel(), nullptr);
        EXPECT_EQ(view().tabView()->width(), closedWidth);
        EXPECT_EQ(layoutFaults(*window).join(QLatin1Char('\n')).toStdString(), "");
    }
}

TEST_F(WindowLayoutTest, SheetsFitOverTheWindow) {
    notifications.post(WindowNotification::showFeedbackSheet);
    settle();
    ASSERT_NE(view().sheetDialog(), nullptr);
    EXPECT_EQ(layoutFaults(*view().sheetDialog()).join(QLatin1Char('\n')).toStdString(), "");

    grants.microphone = CaptureAuthorizationStatus::notDetermined;
    grants.accessibilityTrusted = false;
    notifications.post(WindowNotification::showOnboardingSheet);
    settle();
    QDialog* onboarding = view().sheetDialog();
    ASSERT_NE(onboarding, nullptr);
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE("onboarding step " + std::to_string(step));
        settle();
        EXPECT_EQ(layoutFaults(*onboarding).join(QLatin1Char('\n')).toStdString(), "");
        auto buttons = onboarding->findChildren<QAbstractButton*>();
        for (QAbstractButton* button : buttons) {
            if (button->text() == QStringLiteral("Weiter")) {
                button->click();
                break;
            }
        }
    }
}

TEST_F(WindowLayoutTest, EveryTabLooksAsKept) {
    for (const SettingsTab tab : allSettingsTabs) {
        show(tab, false, false);
        for (const int ratio : {1, 2}) {
            const std::string name = "settings-" + tabName(tab) + "@" + std::to_string(ratio) + "x";
            EXPECT_TRUE(testsupport::matchesReference(render(ratio), {"OstrelVirorez/UI/Layout", name},
                                                      {.channel = 16, .pixels = 40 * ratio * ratio}));
        }
    }
    show(SettingsTab::general, true, true);
    EXPECT_TRUE(testsupport::matchesReference(render(1), {"OstrelVirorez/UI/Layout", "settings-collapsed-status"},
                                              {.channel = 16, .pixels = 40}));
}

} // namespace
} // namespace ostrelvirorez::testing
