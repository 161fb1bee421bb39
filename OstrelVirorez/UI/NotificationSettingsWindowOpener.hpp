#pragma once
// The first-run step's way to the settings window: asks for it and its
// onboarding sheet through the window notifications, so that it needs no
// reference to the window's owner.

#include "OstrelVirorez/App/Ports/SettingsWindowOpening.hpp"

namespace ostrelvirorez {

class NotificationCenter;

class NotificationSettingsWindowOpener final : public SettingsWindowOpening {
public:
    explicit NotificationSettingsWindowOpener(NotificationCenter& notifications);

    void openSettingsWindow() override;
    void showOnboardingSheet() override;

private:
    NotificationCenter& notifications_;
};

} // namespace ostrelvirorez
