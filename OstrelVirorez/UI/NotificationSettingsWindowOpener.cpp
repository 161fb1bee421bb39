#include "OstrelVirorez/UI/NotificationSettingsWindowOpener.hpp"

#include "OstrelVirorez/UI/NotificationCenter.hpp"
#include "OstrelVirorez/UI/WindowNotification.hpp"

namespace ostrelvirorez {

NotificationSettingsWindowOpener::NotificationSettingsWindowOpener(NotificationCenter& notifications)
    : notifications_(notifications) {}

void NotificationSettingsWindowOpener::openSettingsWindow() {
    notifications_.post(WindowNotification::openSettingsWindow);
}

void NotificationSettingsWindowOpener::showOnboardingSheet() {
    notifications_.post(WindowNotification::showOnboardingSheet);
}

} // namespace ostrelvirorez
