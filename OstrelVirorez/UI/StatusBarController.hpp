#pragma once
// The application's permanent presence: the status-bar (tray) item, whose
// symbol follows the dictation state, and the one settings window. A left
// click on the item opens the settings window; a right click pops up the
// quick menu. The window is made on the first request after the application
// state has linked itself, kept for the controller's life and brought forward
// on every later request, whichever way it comes. A request for the feedback
// sheet made before the window exists opens the window with the sheet.
// Main thread only.

#include "OstrelVirorez/App/Ports/StatusItemControlling.hpp"
#include "Platform/Core/Signal.hpp"

#include <QSystemTrayIcon>

#include <functional>
#include <memory>
#include <string>

class QMenu;
class QMenuBar;

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class ActivationPolicyState;
class NotificationCenter;
class SettingsWindow;

class StatusBarController final : public StatusItemControlling {
public:
    // Puts the item on screen with the "mic" symbol and starts answering
    // openSettingsWindow. `quitApplication` ends the program.
    StatusBarController(platform::MainQueue& mainQueue, NotificationCenter& notifications,
                        std::shared_ptr<ActivationPolicyState> activationPolicy,
                        std::function<void()> quitApplication);
    ~StatusBarController() override;
    StatusBarController(const StatusBarController&) = delete;
    StatusBarController& operator=(const StatusBarController&) = delete;

    void setAppState(std::weak_ptr<AppState> appState) override;
    void setButtonImage(const std::string& symbolName, const std::string& accessibilityDescription) override;

    // A click on the item: the context click pops up the quick menu, every
    // other one shows the settings window.
    void statusItemClicked(QSystemTrayIcon::ActivationReason reason);
    // Does nothing until the application state is linked.
    void showSettingsWindow();
    // Pops up a new quick menu at the pointer; it is thrown away once closed.
    void showQuickMenu();
    // The quick menu's entries: "Einstellungen …", "Auf Updates prüfen …"
    // and "Beenden", with separators between them and no shortcuts.
    std::unique_ptr<QMenu> makeQuickMenu();

    const QSystemTrayIcon& statusItem() const { return *statusItem_; }
    // Absent until first shown.
    SettingsWindow* settingsWindow() const { return settingsWindow_.get(); }
    // The settings window's menu bar, which serves as the main menu; absent
    // while there is no window.
    QMenuBar* mainMenu() const;
    // The quick menu on screen, if any.
    QMenu* quickMenu() const { return quickMenu_.get(); }

private:
    void quickMenuCheckForUpdates();
    void applyActivationPolicy();
    void feedbackSheetRequested();

    platform::MainQueue& mainQueue_;
    NotificationCenter& notifications_;
    std::shared_ptr<ActivationPolicyState> activationPolicy_;
    std::function<void()> quitApplication_;
    std::unique_ptr<QSystemTrayIcon> statusItem_;
    std::unique_ptr<SettingsWindow> settingsWindow_;
    std::weak_ptr<AppState> appState_;
    std::unique_ptr<QMenu> quickMenu_;
    // Tasks posted to the main queue run only while this is alive.
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
    platform::Connection openSettingsObserver_;
    platform::Connection feedbackObserver_;
    platform::Connection activationPolicyObserver_;
};

} // namespace ostrelvirorez
