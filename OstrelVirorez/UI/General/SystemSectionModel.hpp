#pragma once
// The state and actions of the "System" card: launch at login (an autostart
// entry, its failures shown on the card and the switch kept true to the
// entry), the Dock-icon flag that sets the activation policy when it
// changes, and the four buttons: three post a window notification, one quits.

#include "OstrelVirorez/UI/General/SettingToggle.hpp"
#include "Platform/Core/Signal.hpp"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ostrelvirorez {

class ActivationPolicySetting;
class AppSettings;
class AutostartEntry;
class NotificationCenter;

class SystemSectionModel {
public:
    struct Desktop {
        NotificationCenter& notifications;
        // Absent where nothing follows the policy; the flag is then only stored.
        ActivationPolicySetting* activationPolicy = nullptr;
        const AutostartEntry& autostart;
        std::function<void()> quit;
    };

    SystemSectionModel(AppSettings& settings, Desktop desktop);

    // "Launch at Login", "Show Taskbar Entry".
    const std::vector<general::SettingToggle>& toggles() const { return toggles_; }
    // Why the last change of "Launch at Login" failed; cleared by the next change.
    const std::optional<std::string>& launchAtLoginError() const { return launchAtLoginError_; }

    void checkForUpdates() const;
    void showOnboarding() const;
    void sendFeedback() const;
    void quit() const;

    platform::Signal<>& changed() { return changed_; }

private:
    void settingChanged(const std::string& key);
    void followLaunchAtLogin(bool on);

    AppSettings& settings_;
    Desktop desktop_;
    std::vector<general::SettingToggle> toggles_;
    bool shownLaunchAtLogin_;
    bool shownDockIcon_;
    std::optional<std::string> launchAtLoginError_;
    platform::Signal<> changed_;
    platform::Connection settingsWatch_;
};

} // namespace ostrelvirorez
