#include "OstrelVirorez/UI/SettingsWindow.hpp"

#include "OstrelVirorez/UI/AppMenuController.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/SettingsView.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "tests/OstrelVirorez/UI/ShellFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace ostrelvirorez::testing {
namespace {

class SettingsWindowTest : public ShellFixture {
protected:
    QMenu& applicationMenu() const { return *window->menuBar()->actions().first()->menu(); }

    FakePermissions grants;
    int windowQuitRequests = 0;
    std::unique_ptr<SettingsWindow> window = std::make_unique<SettingsWindow>(
        SettingsEnvironment{*appState, settings, notifications, grants, queue, appState->dictionaryService(),
                            appState->snippetService(), appState->dictationHistoryStore()},
        [this] { ++windowQuitRequests; });
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
    EXPECT_EQ(windowQuitRequests, 1);
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

TEST_F(SettingsWindowTest, IsTranslucentFramelessAndNoTallerThanItsView) {
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    window->setShowsTaskbarEntry(false);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint)) << "kept when the type changes";
    window->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));

    // Without a desktop-wide menu bar no strip is stacked above the view, and
    // the menus' actions (with their shortcuts) stay on the window.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar, true);
    SettingsWindow inWindowMenus(SettingsEnvironment{*appState, settings, notifications, grants, queue,
                                                     appState->dictionaryService(), appState->snippetService(),
                                                     appState->dictationHistoryStore()},
                                 [] {});
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar, false);
    inWindowMenus.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(inWindowMenus.menuBar()->isVisible());
    EXPECT_EQ(inWindowMenus.size(), QSize(700, 760));
    EXPECT_EQ(inWindowMenus.settingsView().pos(), QPoint(0, 0));
    QStringList onTheWindow;
    for (const QAction* action : inWindowMenus.actions())
        if (!action->isSeparator()) onTheWindow << action->text();
    EXPECT_EQ(onTheWindow, (QStringList{QStringLiteral("Über OstrelVirorez"), QStringLiteral("Einstellungen …"),
                                        QStringLiteral("OstrelVirorez beenden")}));
    inWindowMenus.hide();

    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    window->render(&image);
    const QColor top = image.pixelColor(window->width() / 2, 4);
    EXPECT_GT(top.alphaF(), 0.9) << "the top edge lies on the window's tint";
    EXPECT_LT(top.red(), 40);
}

TEST_F(SettingsWindowTest, ItStopsAnsweringSheetNotificationsWhenItGoes) {
    controller.reset(); // it observes the feedback request too
    EXPECT_EQ(notifications.observerCount(WindowNotification::showFeedbackSheet), 1u);
    EXPECT_EQ(notifications.observerCount(WindowNotification::showOnboardingSheet), 1u);
    window.reset();
    EXPECT_EQ(notifications.observerCount(WindowNotification::showFeedbackSheet), 0u);
    EXPECT_EQ(notifications.observerCount(WindowNotification::showOnboardingSheet), 0u);
    notifications.post(WindowNotification::showFeedbackSheet);
}

} // namespace
} // namespace ostrelvirorez::testing
