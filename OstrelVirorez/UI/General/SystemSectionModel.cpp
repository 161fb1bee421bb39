#include "OstrelVirorez/UI/General/SystemSectionModel.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/App/Ports/ActivationPolicySetting.hpp"
#include "OstrelVirorez/Model/AppSettings.hpp"
#include "OstrelVirorez/UI/General/AutostartEntry.hpp"
#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Defaults/UserDefaults.hpp"

#include <utility>

namespace ostrelvirorez {

using namespace general;
namespace {

constexpr const char* showDockIconKey = "showDockIcon";

} // namespace

SystemSectionModel::SystemSectionModel(AppSettings& settings, Desktop desktop)
    : settings_(settings),
      desktop_(std::move(desktop)),
      shownLaunchAtLogin_(settings.launchAtLogin()),
      shownDockIcon_(settings.userDefaults().boolOrFalse(showDockIconKey)) {
    toggles_ = {
        {"Launch at Login", "arrow.right.circle", "launchAtLogin", [this] { return settings_.launchAtLogin(); },
         [this](bool on) { settings_.setLaunchAtLogin(on); }},
        {"Show Taskbar Entry", "dock.rectangle", showDockIconKey,
         [this] { return settings_.userDefaults().boolOrFalse(showDockIconKey); },
         [this](bool on) { settings_.userDefaults().set(showDockIconKey, platform::DefaultsValue(on)); }},
    };
    settingsWatch_ =
        settings_.userDefaults().changed().connect([this](const std::string& key) { settingChanged(key); });
}

void SystemSectionModel::checkForUpdates() const {
    desktop_.notifications.post(WindowNotification::checkForUpdatesRequested);
}

void SystemSectionModel::showOnboarding() const {
    desktop_.notifications.post(WindowNotification::showOnboardingSheet);
}

void SystemSectionModel::sendFeedback() const { desktop_.notifications.post(WindowNotification::showFeedbackSheet); }

void SystemSectionModel::quit() const {
    if (desktop_.quit) desktop_.quit();
}

void SystemSectionModel::settingChanged(const std::string& key) {
    if (key == "launchAtLogin") {
        const bool on = settings_.launchAtLogin();
        if (on != shownLaunchAtLogin_) {
            shownLaunchAtLogin_ = on;
            followLaunchAtLogin(on);
        }
        changed_.emit();
    } else if (key == showDockIconKey) {
        const bool on = settings_.userDefaults().boolOrFalse(showDockIconKey);
        if (on != shownDockIcon_) {
            shownDockIcon_ = on;
            if (desktop_.activationPolicy) {
                desktop_.activationPolicy->setActivationPolicy(on ? ActivationPolicy::regular
                                                                  : ActivationPolicy::accessory);
            }
        }
        changed_.emit();
    }
}

void SystemSectionModel::followLaunchAtLogin(bool on) {
    try {
        if (on) {
            desktop_.autostart.install();
        } else {
            desktop_.autostart.remove();
        }
        launchAtLoginError_.reset();
    } catch (const std::exception& error) {
        launchAtLoginError_ = std::string(on ? "Could not add the login item: " : "Could not remove the login item: ") +
                              error.what();
        logVirorez(*launchAtLoginError_);
        // The switch goes back to what the session will actually do; noting
        // the value first keeps this write from being followed again.
        shownLaunchAtLogin_ = !on;
        settings_.setLaunchAtLogin(!on);
    }
}

} // namespace ostrelvirorez
