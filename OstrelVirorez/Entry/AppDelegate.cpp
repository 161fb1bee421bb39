#include "OstrelVirorez/Entry/AppDelegate.hpp"

#include "OstrelVirorez/UI/ActivationPolicySetter.hpp"
#include "OstrelVirorez/UI/ActivationPolicyState.hpp"
#include "OstrelVirorez/UI/AppMenuController.hpp"
#include "OstrelVirorez/UI/IndicatorCoordinator.hpp"
#include "OstrelVirorez/UI/NotificationSettingsWindowOpener.hpp"
#include "OstrelVirorez/UI/StatusBarController.hpp"
#include "OstrelVirorez/UI/WindowMainMenuHost.hpp"

namespace ostrelvirorez {

AppDelegate::AppDelegate(DesktopServices::Context context, NotificationCenter& notifications,
                         std::function<void()> quitApplication)
    : activationPolicy_(std::make_shared<ActivationPolicyState>()) {
    platform::MainQueue& mainQueue = context.mainQueue;
    auto statusBar = std::make_unique<StatusBarController>(mainQueue, notifications, activationPolicy_,
                                                           std::move(quitApplication));
    statusBarController_ = statusBar.get();
    appState_ = AppState::make(DesktopServices::make(
        std::move(context),
        DesktopServices::UserInterface{std::make_unique<IndicatorCoordinator>(mainQueue), std::move(statusBar),
                                       std::make_unique<NotificationSettingsWindowOpener>(notifications),
                                       std::make_unique<ActivationPolicySetter>(activationPolicy_)}));
    menuHost_ = std::make_unique<WindowMainMenuHost>(
        [statusBar = statusBarController_] { return statusBar->mainMenu(); });
    appMenuController_ = std::make_unique<AppMenuController>(mainQueue, *menuHost_, notifications);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationWillFinishLaunching() {
    activationPolicy_->set(ActivationPolicy::accessory);
}

void AppDelegate::applicationDidFinishLaunching() {
    appMenuController_->start();
}

} // namespace ostrelvirorez
