#pragma once
// What the first-run step needs of the settings window: open it, then
// present the onboarding sheet in it.

namespace ostrelvirorez {

class SettingsWindowOpening {
public:
    virtual ~SettingsWindowOpening() = default;

    virtual void openSettingsWindow() = 0;
    // Does nothing while the settings window has never been built.
    virtual void showOnboardingSheet() = 0;
};

} // namespace ostrelvirorez
