#include "OstrelVirorez/UI/SettingsWindow.hpp"

#include "OstrelVirorez/UI/AppMenuController.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/SettingsView.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "tests/OstrelVirorez/UI/ShellFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace ostrelvirorez::testing {
namespace {

class SettingsWindowTest : public ::testing::Test {
protected:
    QMenu& applicationMenu() const { return *window->menuBar()->actions().first()->menu(); }

    QApplication& application = testApplication();
    NotificationCenter notifications;
    int quitRequests = 0;
    std::unique_ptr<SettingsWindow> window =
        std::make_unique<SettingsWindow>(notifications, [this] { ++quitRequests; });
};

TEST_F(SettingsWindowTest, ItsApplicationMenuOffersAboutSettingsAndQuit) {
    EXPECT_EQ(window->menuBar()->actions().first()->text(), QStringLiteral("OstrelVirorez"));
    EXPECT_EQ(AppMenuController::aboutItemIndex(applicationMenu()), 0) << "recognised by its role";

    int settingsRequests = 0;
    auto observer = notifications.observe(WindowNotification::openSettingsWindow, [&] { ++settingsRequests; });
    QAction* settings = entryTitled(applicationMenu(), QStringLiteral("Einstellungen …"));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->shortcut(), QKeySequence(QKeySequence::Preferences));
    settings->trigger();
    EXPECT_EQ(settingsRequests, 1);

    applicationMenu().actions().last()->trigger();
    EXPECT_EQ(quitRequests, 1);
}

TEST_F(SettingsWindowTest, AboutShowsTheProgramsName) {
    window->show();
    applicationMenu().actions().first()->trigger();
    const auto boxes = window->findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.first()->isVisible());
    EXPECT_EQ(boxes.first()->text(), QStringLiteral("OstrelVirorez"));
    boxes.first()->close();
}

TEST_F(SettingsWindowTest, ItStopsAnsweringSheetNotificationsWhenItGoes) {
    EXPECT_EQ(notifications.observerCount(WindowNotification::showFeedbackSheet), 1u);
    EXPECT_EQ(notifications.observerCount(WindowNotification::showOnboardingSheet), 1u);
    window.reset();
    EXPECT_EQ(notifications.observerCount(WindowNotification::showFeedbackSheet), 0u);
    notifications.post(WindowNotification::showFeedbackSheet);
}

} // namespace
} // namespace ostrelvirorez::testing
