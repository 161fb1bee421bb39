#pragma once
// Keeps the application's own entries in the main menu, which may be rebuilt
// at any time: "Auf Updates prüfen …" right after the About entry of the
// application menu, and a Help menu holding "Feedback senden …". A repair
// pass runs at once after start() and then every 1.5 s. Also owns the
// updater: made unstarted, started 3 s after start(), asked to check on every
// checkForUpdatesRequested. Main thread only.

#include "Platform/Concurrency/TimerHandle.hpp"
#include "Platform/Core/Signal.hpp"

#include <chrono>
#include <memory>
#include <optional>

class QMenu;
class QMenuBar;
class QObject;

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class MainMenuHost;
class NotificationCenter;
class UpdaterController;

class AppMenuController {
public:
    static constexpr std::chrono::milliseconds repairInterval{1500};
    static constexpr std::chrono::seconds updaterStartDelay{3};

    AppMenuController(platform::MainQueue& mainQueue, MainMenuHost& menuHost, NotificationCenter& notifications);
    ~AppMenuController();
    AppMenuController(const AppMenuController&) = delete;
    AppMenuController& operator=(const AppMenuController&) = delete;

    // Starts the repair loop (again, if it ran), the delayed updater start
    // and the answer to update-check requests.
    void start();

    // Each returns whether it changed the main menu.
    bool ensureCheckForUpdatesItem(QMenuBar& mainMenu);
    bool ensureFeedbackItem(QMenuBar& mainMenu);

    // The entry with the standard About role, else the first whose title
    // begins with "Über" or "About".
    static std::optional<int> aboutItemIndex(const QMenu& menu);
    // The registered Help menu while it is part of the main menu, else the
    // submenu of the first entry titled "Hilfe…" or "Help…".
    QMenu* existingHelpMenu(QMenuBar& mainMenu) const;
    // Appends a "Hilfe" menu to the main menu and registers it.
    QMenu* makeHelpMenu(QMenuBar& mainMenu);

    void sendFeedback();
    void handleCheckForUpdatesNotification();

    UpdaterController& updaterController() const { return *updaterController_; }

private:
    void scheduleRepair(std::chrono::milliseconds delay);
    void repairPass();

    platform::MainQueue& mainQueue_;
    MainMenuHost& menuHost_;
    NotificationCenter& notifications_;
    std::shared_ptr<UpdaterController> updaterController_;
    platform::TimerHandle repairTask_;
    bool loggedFirstInstall_ = false;
    platform::Connection checkForUpdatesObserver_;
    // Receives the entries' actions; they end with the controller.
    std::unique_ptr<QObject> actionContext_;
};

} // namespace ostrelvirorez
