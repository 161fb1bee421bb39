#include "OstrelVirorez/UI/StatusBarController.hpp"

#include "OstrelDesignKit/Symbols/SymbolImage.hpp"
#include "OstrelDesignKit/Window/OstrelTrafficLights.hpp"
#include "OstrelVirorez/App/StatusItemSymbol.hpp"
#include "OstrelVirorez/UI/NotificationSettingsWindowOpener.hpp"
#include "OstrelVirorez/UI/SettingsView.hpp"
#include "OstrelVirorez/UI/SettingsWindow.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "tests/OstrelVirorez/UI/ShellFixture.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <vector>

namespace ostrelvirorez::testing {
namespace {

QImage iconImage(const QIcon& icon) {
    return icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

class StatusBarControllerTest : public ShellFixture {
protected:
    void leftClick() { controller->statusItemClicked(QSystemTrayIcon::Trigger); }
    void chooseFromQuickMenu(const QString& title) {
        const auto menu = controller->makeQuickMenu();
        QAction* entry = entryTitled(*menu, title);
        ASSERT_NE(entry, nullptr) << title.toStdString();
        entry->trigger();
    }
    SettingsWindow* window() const { return controller->settingsWindow(); }
};

TEST_F(StatusBarControllerTest, OpensNoWindowBeforeTheAppStateIsLinked) {
    leftClick();
    chooseFromQuickMenu(QStringLiteral("Einstellungen …"));
    post(WindowNotification::openSettingsWindow);
    runUntilIdle();
    EXPECT_EQ(window(), nullptr);

    linkAppState();
    leftClick();
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(StatusBarControllerTest, EveryRequestBringsTheSameWindowForward) {
    linkAppState();
    leftClick();
    SettingsWindow* const first = window();
    ASSERT_NE(first, nullptr);

    leftClick();
    EXPECT_EQ(window(), first);

    first->close();
    EXPECT_FALSE(first->isVisible());
    chooseFromQuickMenu(QStringLiteral("Einstellungen …"));
    EXPECT_EQ(window(), first);
    EXPECT_TRUE(first->isVisible());

    first->close();
    post(WindowNotification::openSettingsWindow);
    EXPECT_FALSE(first->isVisible()) << "the notification is answered from a task of the main queue";
    runUntilIdle();
    EXPECT_EQ(window(), first);
    EXPECT_TRUE(first->isVisible());

    // The settings command of the window's own application menu leads to it too.
    first->close();
    QAction* settingsCommand = entryTitled(*first->menuBar()->actions().first()->menu(), QStringLiteral("Einstellungen …"));
    ASSERT_NE(settingsCommand, nullptr);
    settingsCommand->trigger();
    runUntilIdle();
    EXPECT_EQ(window(), first);
    EXPECT_TRUE(first->isVisible());
}

TEST_F(StatusBarControllerTest, TheWindowIsAFixedCentredSettingsWindow) {
    linkAppState();
    leftClick();
    SettingsWindow* const settings = window();
    ASSERT_NE(settings, nullptr);

    EXPECT_EQ(settings->windowTitle(), QStringLiteral("OstrelVirorez"));
    EXPECT_EQ(settings->settingsView().size(), QSize(700, 760));
    EXPECT_EQ(settings->minimumSize(), settings->maximumSize()) << "not resizable";
    // Translucent and frameless: no platform title or buttons, the kit's own
    // window buttons stand in for them.
    EXPECT_TRUE(settings->testAttribute(Qt::WA_TranslucentBackground));
    const Qt::WindowFlags flags = settings->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offset = settings->frameGeometry().center() - screen.center();
    // The window frame only comes with the platform window, so allow for its width.
    EXPECT_LE(offset.manhattanLength(), 8);

    settings->settingsView().trafficLights().press(ostreldesignkit::TrafficLight::close);
    EXPECT_FALSE(settings->isVisible()) << "closed through the kit's close button";
    EXPECT_EQ(window(), settings) << "and kept";
}

TEST_F(StatusBarControllerTest, QuickMenuHasThreeEntriesBetweenSeparatorsWithoutShortcuts) {
    const auto menu = controller->makeQuickMenu();
    const auto entries = menu->actions();
    ASSERT_EQ(entries.size(), 5);
    const std::vector<QString> titles{QStringLiteral("Einstellungen …"), {}, QStringLiteral("Auf Updates prüfen …"),
                                      {}, QStringLiteral("Beenden")};
    for (int index = 0; index < entries.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(entries.at(index)->isSeparator(), index == 1 || index == 3);
        EXPECT_EQ(entries.at(index)->text(), titles.at(index));
        EXPECT_TRUE(entries.at(index)->shortcut().isEmpty());
    }
}

TEST_F(StatusBarControllerTest, QuickMenuCheckOnlyAsksByNotificationAndQuitEndsTheProgram) {
    linkAppState();
    const auto checks = countPosts(WindowNotification::checkForUpdatesRequested);

    chooseFromQuickMenu(QStringLiteral("Auf Updates prüfen …"));
    runUntilIdle();
    EXPECT_EQ(*checks, 1);
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(quitRequests, 0);

    chooseFromQuickMenu(QStringLiteral("Beenden"));
    EXPECT_EQ(quitRequests, 1);
}

TEST_F(StatusBarControllerTest, TheQuickMenuIsThrownAwayAfterItClosesAndALeftClickOpensTheWindow) {
    linkAppState();
    controller->statusItemClicked(QSystemTrayIcon::Context);
    QMenu* menu = controller->quickMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(controller->statusItem().contextMenu(), nullptr);
    EXPECT_EQ(window(), nullptr);

    menu->hide();
    QCoreApplication::processEvents();
    EXPECT_EQ(controller->quickMenu(), nullptr);

    leftClick();
    EXPECT_EQ(controller->quickMenu(), nullptr);
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(StatusBarControllerTest, TheItemShowsTheSymbolOfEachState) {
    using ostreldesignkit::SymbolImage;
    EXPECT_EQ(iconImage(controller->statusItem().icon()), iconImage(SymbolImage::icon("mic")));
    EXPECT_EQ(controller->statusItem().toolTip(), QStringLiteral("OstrelVirorez"));

    const std::vector<std::pair<DictationState, std::string>> cases{
        {DictationState::recording(DictationMode::raw), "mic.fill"},
        {DictationState::recording(DictationMode::claude), "sparkles"},
        {DictationState::recording(DictationMode::clipboardRewrite), "sparkles"},
        {DictationState::transcribing(DictationMode::raw), "waveform"},
        {DictationState::injecting(), "text.cursor"},
        {DictationState::done(), "checkmark.circle"},
        {DictationState::error("Microphone unavailable"), "exclamationmark.triangle"},
        {DictationState::idle(), "mic"},
    };
    for (const auto& [state, symbol] : cases) {
        SCOPED_TRACE(symbol);
        controller->setButtonImage(statusItemSymbol(state), "OstrelVirorez");
        EXPECT_FALSE(controller->statusItem().icon().isNull());
        EXPECT_EQ(iconImage(controller->statusItem().icon()), iconImage(SymbolImage::icon(symbol)));
    }
    EXPECT_NE(iconImage(SymbolImage::icon("mic")), iconImage(SymbolImage::icon("mic.fill")));
}

TEST_F(StatusBarControllerTest, TheWindowFollowsTheActivationPolicy) {
    linkAppState();
    leftClick();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->windowType(), Qt::Tool) << "accessory until set-up says otherwise";

    activationPolicy->set(ActivationPolicy::regular);
    EXPECT_EQ(window()->windowType(), Qt::Window);
    EXPECT_TRUE(window()->isVisible()) << "switching keeps the window on screen";

    window()->close();
    activationPolicy->set(ActivationPolicy::accessory);
    EXPECT_EQ(window()->windowType(), Qt::Tool);
    EXPECT_FALSE(window()->isVisible());
}

TEST_F(StatusBarControllerTest, AWindowMadeAfterThePolicyChangedFollowsIt) {
    activationPolicy->set(ActivationPolicy::regular);
    linkAppState();
    leftClick();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->windowType(), Qt::Window);
}

TEST_F(StatusBarControllerTest, AnOnboardingRequestDoesNothingBeforeTheWindowExists) {
    linkAppState();
    post(WindowNotification::showOnboardingSheet);
    EXPECT_EQ(notifications.observerCount(WindowNotification::showOnboardingSheet), 0u);
    EXPECT_EQ(window(), nullptr);

    leftClick();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->settingsView().presentedSheet(), std::nullopt);
    post(WindowNotification::showOnboardingSheet);
    EXPECT_EQ(window()->settingsView().presentedSheet(), SettingsSheet::onboarding);
    post(WindowNotification::showFeedbackSheet);
    EXPECT_EQ(window()->settingsView().presentedSheet(), SettingsSheet::feedback);
}

TEST_F(StatusBarControllerTest, AFeedbackRequestBeforeTheWindowExistsOpensItWithTheSheet) {
    post(WindowNotification::showFeedbackSheet);
    EXPECT_EQ(window(), nullptr) << "nothing to open before the application state is linked";

    linkAppState();
    post(WindowNotification::showFeedbackSheet);
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->settingsView().presentedSheet(), SettingsSheet::feedback);
    QDialog* const sheet = window()->settingsView().sheetDialog();

    // The window answers later requests itself, with the same sheet.
    post(WindowNotification::showFeedbackSheet);
    EXPECT_EQ(window()->settingsView().sheetDialog(), sheet);
}

TEST_F(StatusBarControllerTest, ASheetRequestedWhileTheWindowIsClosedBringsItForward) {
    linkAppState();
    leftClick();
    ASSERT_NE(window(), nullptr);
    window()->close();
    post(WindowNotification::showFeedbackSheet);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->settingsView().presentedSheet(), SettingsSheet::feedback);
}

TEST_F(StatusBarControllerTest, AWindowClosedAndShownAgainKeepsTabSidebarAndPanel) {
    linkAppState();
    leftClick();
    ASSERT_NE(window(), nullptr);
    SettingsView& view = window()->settingsView();
    view.model().select(SettingsTab::history);
    view.model().toggleSidebar();
    view.model().toggleStatusPanel();
    window()->close();
    leftClick();
    EXPECT_EQ(&window()->settingsView(), &view);
    EXPECT_EQ(view.model().selectedTab(), SettingsTab::history);
    EXPECT_TRUE(view.model().isSidebarCollapsed());
    EXPECT_NE(view.statusPanel(), nullptr);
}

TEST_F(StatusBarControllerTest, TheStatusPanelReadsTheApplicationsPermissions) {
    FakePermissions* const grants = permissions;
    grants->microphone = CaptureAuthorizationStatus::denied;
    linkAppState();
    leftClick();
    ASSERT_NE(window(), nullptr);
    EXPECT_FALSE(window()->settingsView().statusModel().isMicrophoneGranted());
    grants->microphone = CaptureAuthorizationStatus::authorized;
    EXPECT_TRUE(window()->settingsView().statusModel().isMicrophoneGranted());
}

TEST_F(StatusBarControllerTest, TheFirstRunOpensTheWindowAndThenTheOnboardingSheet) {
    linkAppState();
    NotificationSettingsWindowOpener opener(notifications);
    opener.openSettingsWindow();
    runUntilIdle();
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());

    opener.showOnboardingSheet();
    EXPECT_EQ(window()->settingsView().presentedSheet(), SettingsSheet::onboarding);
}

TEST_F(StatusBarControllerTest, AnOpenRequestLeftOnTheQueueIsDroppedWithTheController) {
    linkAppState();
    post(WindowNotification::openSettingsWindow);
    controller.reset();
    runUntilIdle();
    SUCCEED();
}

} // namespace
} // namespace ostrelvirorez::testing
