#include "OstrelVirorez/Entry/AppDelegate.hpp"

#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/ActivationPolicyState.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/SettingsSheet.hpp"
#include "OstrelVirorez/UI/SettingsView.hpp"
#include "OstrelVirorez/UI/SettingsWindow.hpp"
#include "OstrelVirorez/UI/StatusBarController.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "Platform/Defaults/UserDefaults.hpp"
#include "tests/OstrelVirorez/State/BareSession.hpp"
#include "tests/OstrelVirorez/State/StateFakes.hpp"
#include "tests/OstrelVirorez/State/StateTestSupport.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace ostrelvirorez::testing {
namespace {

QStringList titles(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) texts << action->text();
    return texts;
}

QMenu* menuTitled(const QMenuBar& bar, const QString& title) {
    for (QAction* action : bar.actions()) {
        if (action->text() == title) return action->menu();
    }
    return nullptr;
}

// The application as launched over a bare session: real desktop services,
// the Qt shell, virtual time, and the engine load held so nothing is fetched.
class LaunchedApplication {
public:
    explicit LaunchedApplication(bool showDockIcon) : session(folder), defaults(folder / "defaults.json") {
        testApplication();
        if (showDockIcon) defaults.set("showDockIcon", true);
        work.holdWork();
        delegate = std::make_unique<AppDelegate>(DesktopServices::Context{queue, work.executor(), settings, keychain},
                                                 notifications, [this] { ++quitRequests; });
    }
    ~LaunchedApplication() {
        // The held engine load keeps the state alive; let it go without running it.
        work = TestExecutor();
        delegate.reset();
        queue.runUntilIdle();
    }

    testsupport::TemporaryDirectory folder;
    BareSession session;
    platform::UserDefaults defaults;
    AppSettings settings{defaults};
    MemoryKeychain keychain;
    platform::ManualMainQueue queue;
    TestExecutor work;
    NotificationCenter notifications;
    int quitRequests = 0;
    std::unique_ptr<AppDelegate> delegate;
};

TEST(AppDelegateTest, LaunchIsAccessoryUntilSetUpAppliesTheTaskbarPreference) {
    struct Case {
        bool showDockIcon;
        ActivationPolicy afterSetUp;
    };
    for (const Case& c : {Case{false, ActivationPolicy::accessory}, Case{true, ActivationPolicy::regular}}) {
        SCOPED_TRACE(c.showDockIcon);
        LaunchedApplication app(c.showDockIcon);
        app.delegate->applicationWillFinishLaunching();
        app.delegate->applicationDidFinishLaunching();
        EXPECT_EQ(app.delegate->activationPolicy().policy(), ActivationPolicy::accessory);
        EXPECT_FALSE(app.delegate->appState().isSetUp());

        app.queue.runUntilIdle();
        EXPECT_TRUE(app.delegate->appState().isSetUp());
        EXPECT_EQ(app.delegate->activationPolicy().policy(), c.afterSetUp);
    }
}

TEST(AppDelegateTest, FirstRunOpensTheSettingsWindowWithOnboardingAndTheMenuUpkeepFillsItsMenus) {
    LaunchedApplication app(false);
    app.delegate->applicationWillFinishLaunching();
    app.delegate->applicationDidFinishLaunching();
    app.queue.runUntilIdle();
    EXPECT_EQ(app.delegate->statusBarController().settingsWindow(), nullptr);

    app.queue.advance(std::chrono::milliseconds(1300));
    SettingsWindow* window = app.delegate->statusBarController().settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->settingsView().presentedSheet(), SettingsSheet::onboarding);

    // The next repair pass finds the window's menu bar.
    app.queue.advance(std::chrono::milliseconds(1500));
    QMenuBar* bar = app.delegate->statusBarController().mainMenu();
    ASSERT_NE(bar, nullptr);
    ASSERT_FALSE(bar->actions().isEmpty());
    const QStringList applicationMenu = titles(*bar->actions().first()->menu());
    ASSERT_GE(applicationMenu.size(), 2);
    EXPECT_EQ(applicationMenu[1], QString::fromUtf8("Auf Updates prüfen \u2026"));
    const QMenu* help = menuTitled(*bar, "Hilfe");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(titles(*help), QStringList{QString::fromUtf8("Feedback senden \u2026")});
}

TEST(AppDelegateTest, TheQuickMenuQuitEntryEndsTheProgram) {
    LaunchedApplication app(false);
    const auto menu = app.delegate->statusBarController().makeQuickMenu();
    const QList<QAction*> entries = menu->actions();
    ASSERT_FALSE(entries.isEmpty());
    entries.last()->trigger();
    EXPECT_EQ(app.quitRequests, 1);
}

} // namespace
} // namespace ostrelvirorez::testing
