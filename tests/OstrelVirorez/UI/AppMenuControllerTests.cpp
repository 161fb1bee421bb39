#include "OstrelVirorez/UI/AppMenuController.hpp"

#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/StandardMenuAction.hpp"
#include "OstrelVirorez/UI/UpdaterController.hpp"
#include "OstrelVirorez/UI/WindowMainMenuHost.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Core/Logger.hpp"
#include "tests/OstrelVirorez/UI/ShellFixture.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace ostrelvirorez::testing {
namespace {

using namespace std::chrono_literals;

const QString checkTitle = QStringLiteral("Auf Updates prüfen …");
const QString feedbackTitle = QStringLiteral("Feedback senden …");

std::vector<QString> titles(const QWidget& menu) {
    std::vector<QString> result;
    for (const QAction* entry : menu.actions()) result.push_back(entry->isSeparator() ? QStringLiteral("-") : entry->text());
    return result;
}

// An application menu as the settings window builds it.
void addApplicationMenu(QMenuBar& bar) {
    QMenu* menu = bar.addMenu(QStringLiteral("OstrelVirorez"));
    StandardMenuAction::mark(*menu->addAction(QStringLiteral("Über OstrelVirorez")), StandardMenuAction::about);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Einstellungen …"));
    menu->addSeparator();
    menu->addAction(QStringLiteral("OstrelVirorez beenden"));
}

class AppMenuControllerTest : public ::testing::Test {
protected:
    AppMenuControllerTest() { addApplicationMenu(*bar); }

    QMenu& applicationMenu() const { return *bar->actions().first()->menu(); }
    QMenu* helpMenu() const { return bar->actions().last()->menu(); }
    long installLogs() const {
        const auto lines = logs.sink().messages();
        return std::count(lines.begin(), lines.end(), "AppMenuController: menu items installed");
    }
    // The platform builds a fresh main menu without the controller's entries.
    void rebuildMainMenu() {
        bar = std::make_unique<QMenuBar>();
        addApplicationMenu(*bar);
    }

    QApplication& application = testApplication();
    mutable platform::ScopedLogCapture logs;
    platform::ManualMainQueue queue;
    NotificationCenter notifications;
    std::unique_ptr<QMenuBar> bar = std::make_unique<QMenuBar>();
    WindowMainMenuHost host{[this] { return bar.get(); }};
    std::unique_ptr<AppMenuController> controller = std::make_unique<AppMenuController>(queue, host, notifications);
};

TEST_F(AppMenuControllerTest, AddsTheUpdateCheckAfterAboutAndAHelpMenuWithFeedback) {
    controller->start();
    queue.runUntilIdle();

    EXPECT_EQ(titles(applicationMenu()),
              (std::vector<QString>{QStringLiteral("Über OstrelVirorez"), checkTitle, QStringLiteral("-"),
                                    QStringLiteral("Einstellungen …"), QStringLiteral("-"),
                                    QStringLiteral("OstrelVirorez beenden")}));
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions().last()->text(), QStringLiteral("Hilfe"));
    ASSERT_NE(helpMenu(), nullptr);
    EXPECT_EQ(helpMenu()->title(), QStringLiteral("Hilfe"));
    EXPECT_EQ(host.registeredHelpMenu(), helpMenu());
    ASSERT_EQ(titles(*helpMenu()), std::vector<QString>{feedbackTitle});
    EXPECT_EQ(helpMenu()->actions().first()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Question));
    EXPECT_EQ(installLogs(), 1);
}

TEST_F(AppMenuControllerTest, FindsTheAboutEntryByRoleElseByTitle) {
    struct Case {
        const char* name;
        std::vector<QString> titles;
        int markedIndex;  // -1: no entry carries the About role
        std::optional<int> about;
    };
    const std::vector<Case> cases{
        {"by role", {QStringLiteral("Info"), QStringLiteral("About it"), QStringLiteral("x")}, 2, 2},
        {"German title", {QStringLiteral("Einstellungen …"), QStringLiteral("-"), QStringLiteral("Über das Programm")}, -1, 2},
        {"English title", {QStringLiteral("Preferences"), QStringLiteral("About OstrelVirorez")}, -1, 1},
        {"first title wins", {QStringLiteral("About A"), QStringLiteral("Über B")}, -1, 0},
        {"none", {QStringLiteral("Einstellungen …"), QStringLiteral("Beenden")}, -1, std::nullopt},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        QMenu menu;
        for (const QString& title : test.titles) {
            if (title == QStringLiteral("-")) {
                menu.addSeparator();
            } else {
                menu.addAction(title);
            }
        }
        if (test.markedIndex >= 0) StandardMenuAction::mark(*menu.actions().at(test.markedIndex), StandardMenuAction::about);
        EXPECT_EQ(AppMenuController::aboutItemIndex(menu), test.about);
    }
}

TEST_F(AppMenuControllerTest, PutsTheUpdateCheckRightAfterAnAboutFoundByItsGermanTitle) {
    bar = std::make_unique<QMenuBar>();
    QMenu* menu = bar->addMenu(QStringLiteral("OstrelVirorez"));
    menu->addAction(QStringLiteral("Einstellungen …"));
    menu->addAction(QStringLiteral("Über OstrelVirorez"));

    EXPECT_TRUE(controller->ensureCheckForUpdatesItem(*bar));
    EXPECT_EQ(titles(*menu), (std::vector<QString>{QStringLiteral("Einstellungen …"),
                                                    QStringLiteral("Über OstrelVirorez"), checkTitle}));
}

TEST_F(AppMenuControllerTest, LeavesAnApplicationMenuAloneThatHasTheEntryOrNoAbout) {
    applicationMenu().addAction(checkTitle);
    const auto before = titles(applicationMenu());
    EXPECT_FALSE(controller->ensureCheckForUpdatesItem(*bar));
    EXPECT_EQ(titles(applicationMenu()), before);

    QMenuBar withoutAbout;
    withoutAbout.addMenu(QStringLiteral("OstrelVirorez"))->addAction(QStringLiteral("Beenden"));
    EXPECT_FALSE(controller->ensureCheckForUpdatesItem(withoutAbout));
    EXPECT_EQ(titles(*withoutAbout.actions().first()->menu()), std::vector<QString>{QStringLiteral("Beenden")});

    QMenuBar empty;
    EXPECT_FALSE(controller->ensureCheckForUpdatesItem(empty));
    empty.addAction(QStringLiteral("no submenu"));
    EXPECT_FALSE(controller->ensureCheckForUpdatesItem(empty));
}

TEST_F(AppMenuControllerTest, AHelpMenuWithoutFeedbackIsEmptiedOneWithItIsKept) {
    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    help->addAction(QStringLiteral("Handbuch"));
    help->addAction(QStringLiteral("Tastenkürzel"));

    EXPECT_TRUE(controller->ensureFeedbackItem(*bar));
    EXPECT_EQ(titles(*help), std::vector<QString>{feedbackTitle});
    EXPECT_EQ(bar->actions().size(), 2) << "the existing Help menu is used";

    help->addAction(QStringLiteral("Handbuch"));
    EXPECT_FALSE(controller->ensureFeedbackItem(*bar));
    EXPECT_EQ(titles(*help), (std::vector<QString>{feedbackTitle, QStringLiteral("Handbuch")}));
}

TEST_F(AppMenuControllerTest, PrefersTheRegisteredHelpMenuWhileItIsInTheMainMenu) {
    QMenu* titled = bar->addMenu(QStringLiteral("Hilfe"));
    QMenu* registered = bar->addMenu(QStringLiteral("Support"));
    host.registerHelpMenu(registered);
    EXPECT_EQ(controller->existingHelpMenu(*bar), registered);

    bar->removeAction(registered->menuAction());
    EXPECT_EQ(controller->existingHelpMenu(*bar), titled);
}

TEST_F(AppMenuControllerTest, ARebuiltMainMenuIsRepairedWithinOneAndAHalfSeconds) {
    controller->start();
    queue.runUntilIdle();
    ASSERT_EQ(installLogs(), 1);

    rebuildMainMenu();
    queue.advance(AppMenuController::repairInterval);

    EXPECT_EQ(applicationMenu().actions().at(1)->text(), checkTitle);
    ASSERT_EQ(bar->actions().size(), 2);
    ASSERT_NE(helpMenu(), nullptr);
    EXPECT_EQ(titles(*helpMenu()), std::vector<QString>{feedbackTitle});
    EXPECT_EQ(host.registeredHelpMenu(), helpMenu());
    EXPECT_EQ(installLogs(), 1) << "logged for the first repair only";
}

TEST_F(AppMenuControllerTest, APassWithoutMainMenuIsSkippedAndTheLoopGoesOn) {
    std::unique_ptr<QMenuBar> later = std::move(bar);
    controller->start();
    queue.runUntilIdle();
    EXPECT_EQ(installLogs(), 0);

    bar = std::move(later);
    queue.advance(AppMenuController::repairInterval);
    EXPECT_EQ(applicationMenu().actions().at(1)->text(), checkTitle);
    EXPECT_EQ(installLogs(), 1);
}

TEST_F(AppMenuControllerTest, StartsTheUpdaterAfterThreeSecondsButPassesChecksOnAtOnce) {
    UpdaterController& updater = controller->updaterController();
    controller->start();
    queue.runUntilIdle();
    EXPECT_FALSE(updater.isStarted());

    notifications.post(WindowNotification::checkForUpdatesRequested);
    queue.runUntilIdle();
    EXPECT_EQ(updater.checkRequestCount(), 1);

    queue.advance(AppMenuController::updaterStartDelay - 1ms);
    EXPECT_FALSE(updater.isStarted());
    queue.advance(1ms);
    EXPECT_TRUE(updater.isStarted());

    entryTitled(applicationMenu(), checkTitle)->trigger();
    EXPECT_EQ(updater.checkRequestCount(), 2);
}

TEST_F(AppMenuControllerTest, TheFeedbackEntryOnlyAsksForTheFeedbackSheet) {
    int feedbackRequests = 0;
    auto observer = notifications.observe(WindowNotification::showFeedbackSheet, [&] { ++feedbackRequests; });
    controller->start();
    queue.runUntilIdle();

    helpMenu()->actions().first()->trigger();
    EXPECT_EQ(feedbackRequests, 1);
    EXPECT_EQ(controller->updaterController().checkRequestCount(), 0);
}

TEST_F(AppMenuControllerTest, NothingRunsOnceTheControllerIsGone) {
    controller->start();
    queue.runUntilIdle();
    controller.reset();

    rebuildMainMenu();
    queue.advance(5s);
    notifications.post(WindowNotification::checkForUpdatesRequested);
    queue.runUntilIdle();
    EXPECT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(applicationMenu().actions().size(), 5);
}

} // namespace
} // namespace ostrelvirorez::testing
