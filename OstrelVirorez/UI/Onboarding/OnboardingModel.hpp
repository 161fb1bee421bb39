#pragma once
// The first-run guide's state and button actions: the three steps (welcome,
// permissions, engine), the two permissions as last read, and completing the
// guide, which stores onboardingCompleted and closes the sheet. Choosing an
// engine stores it and starts loading it at once. Confined to the main queue.

#include "OstrelVirorez/Model/SettingEnums.hpp"
#include "Platform/Core/Signal.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {
class MainQueue;
}

namespace ostrelvirorez {

class AppSettings;
class PermissionChecking;

class OnboardingModel {
public:
    static constexpr int steps = 3;
    static constexpr std::chrono::milliseconds accessibilityRefreshDelay{500};

    struct Dependencies {
        AppSettings& settings;
        PermissionChecking& permissions;
        // Receives the refreshes; must outlive any pending microphone answer.
        platform::MainQueue& mainQueue;
        std::function<void()> loadSelectedEngine;
        // Opens a system settings address.
        std::function<void(const std::string& url)> openURL;
        // Closes the sheet.
        std::function<void()> dismiss;
    };

    explicit OnboardingModel(Dependencies dependencies);
    ~OnboardingModel();
    OnboardingModel(const OnboardingModel&) = delete;
    OnboardingModel& operator=(const OnboardingModel&) = delete;

    // Fires after every change of the values below.
    platform::Signal<> changed;

    int step() const { return step_; }
    bool micAuthorized() const { return micAuthorized_; }
    bool micRequested() const { return micRequested_; }
    bool accessibilityGranted() const { return accessibilityGranted_; }
    // Counts the permission refreshes.
    int refreshTick() const { return refreshTick_; }

    std::string headerTitle() const;
    // "Schritt 1 von 3".
    std::string stepCounter() const;
    bool isDotHighlighted(int index) const { return index == step_; }
    std::string leftButtonTitle() const;
    std::string rightButtonTitle() const;
    std::optional<std::string> microphoneDeniedHint() const;
    // The tip that the guide goes on without the permissions.
    bool showsPermissionTip() const { return !(micAuthorized_ && accessibilityGranted_); }
    bool isEngineSelected(EngineType engine) const;

    // The privacy pane's address, or nothing when no address can be formed.
    static std::optional<std::string> systemSettingsURL(const std::string& pane);
    static std::string engineName(EngineType engine);
    static std::string engineDescription(EngineType engine);
    // Why `engine` cannot run on this computer; absent when it can. Such an
    // engine is shown, disabled, with this reason, and cannot be chosen.
    static std::optional<std::string> engineUnavailableReason(EngineType engine);

    // Re-reads both permissions; runs when the sheet is shown and after the
    // requests and step changes below.
    void refreshPermissions();
    void requestMicrophone();
    // Asks with the system's prompt, then refreshes after a short delay.
    void requestAccessibility();
    void openSystemSettings(const std::string& pane);
    void chooseEngine(EngineType engine);
    // The footer: skip or back on the left, next or finish on the right.
    void pressLeft();
    void pressRight();

private:
    void complete();
    void refreshSoon();
    void notify() { changed.emit(); }

    Dependencies dependencies_;
    int step_ = 0;
    bool micAuthorized_ = false;
    bool micRequested_ = false;
    bool accessibilityGranted_ = false;
    int refreshTick_ = 0;
    // Posted refreshes hold it weakly, so none reaches a model that is gone.
    std::shared_ptr<OnboardingModel*> self_;
};

} // namespace ostrelvirorez
