#pragma once
// The four notification names through which windows and controllers ask each
// other for things without holding references to each other. Each is posted
// without sender or payload; observers look only at the name.

#include <string_view>

namespace ostrelvirorez {

struct WindowNotification {
    // The settings window presents its feedback sheet.
    static constexpr std::string_view showFeedbackSheet{"showFeedbackSheet"};
    // The settings window presents its onboarding sheet.
    static constexpr std::string_view showOnboardingSheet{"showOnboardingSheet"};
    // The status-bar controller shows its settings window, creating it once.
    static constexpr std::string_view openSettingsWindow{"openSettingsWindow"};
    // The application menu controller asks the updater for a check.
    static constexpr std::string_view checkForUpdatesRequested{"checkForUpdatesRequested"};
};

} // namespace ostrelvirorez
