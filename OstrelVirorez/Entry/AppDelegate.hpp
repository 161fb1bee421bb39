#pragma once
// The program's outermost object graph: the application state (which builds
// every service and runs the dictation state machine) and the application
// menu controller, made once and kept for the life of the process. Launching
// makes the application an accessory one (no taskbar entry) until the
// state's set-up applies the user's preference, then starts the menu upkeep.
// Main thread only.

#include "OstrelVirorez/App/DesktopServices.hpp"

#include <functional>
#include <memory>

namespace ostrelvirorez {

class ActivationPolicyState;
class AppMenuController;
class NotificationCenter;
class StatusBarController;
class WindowMainMenuHost;

class AppDelegate {
public:
    // Builds the application state over the desktop services (its set-up is
    // queued, not run) and the menu controller (its updater not started).
    // `quitApplication` ends the event loop.
    AppDelegate(DesktopServices::Context context, NotificationCenter& notifications,
                std::function<void()> quitApplication);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();

    AppState& appState() const { return *appState_; }
    AppMenuController& appMenuController() const { return *appMenuController_; }
    StatusBarController& statusBarController() const { return *statusBarController_; }
    const ActivationPolicyState& activationPolicy() const { return *activationPolicy_; }

private:
    std::shared_ptr<ActivationPolicyState> activationPolicy_;
    // Owned by the application state's services.
    StatusBarController* statusBarController_ = nullptr;
    std::shared_ptr<AppState> appState_;
    // Declared after the state so that they go first.
    std::unique_ptr<WindowMainMenuHost> menuHost_;
    std::unique_ptr<AppMenuController> appMenuController_;
};

} // namespace ostrelvirorez
